// The end codes of the wizard's pages, as the window-free decisions about them see them.
#pragma once

constexpr int kEndOk = 1;      // IDOK
constexpr int kEndCancel = 2;  // IDCANCEL
