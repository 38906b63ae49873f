// Where a minimised page draws its icon: centred in the client area.
#pragma once

// The offset along one axis: (client - icon + 1) / 2, rounded toward zero as C++ division
// does, so that an icon larger than the client area is drawn partly outside it.
int CentredIconOffset(int clientExtent, int iconExtent);
