#include "ui/PrinterSettingDlg.h"

#include <memory>
#include <string>

#include "win/CentredIcon.h"
#include "ui/Globals.h"
#include "win/Messages_win32.h"
#include "ui/NextStep.h"
#include "system/OsClassification.h"
#include "install/InstallFailureText.h"
#include "install/ModelCatalogue.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/PortSelectDlg.h"

namespace {

// The template's initial lists, in the order of SerialSettingTables: the installation turns
// a selection index into registry text by that table.
const char* const kModelItems[] = {"TOLV58 I", "TOLV58 II", "TOLV58 III", "TOLV76 I", "TOLV80 I", "TOLV80 II"};
const char* const kPortItems[] = {"LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4"};
const char* const kBaudItems[] = {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const kDataBitsItems[] = {"5", "6", "7", "8"};
const char* const kStopBitsItems[] = {"1", "1.5", "2"};
const char* const kParityItems[] = {"Even", "Mark", "None", "Odd", "Space"};
const char* const kFlowItems[] = {"None", "XonXoff", "Hardware"};

template <size_t N>
constexpr size_t CountOf(const char* const (&)[N])
{
    return N;
}

// Defaults of the serial panel: LPT1, 19200 baud, 8 data bits, 1 stop bit, no parity,
// hardware flow control.
constexpr int kDefaultPort = 0, kDefaultBaud = 5, kDefaultDataBits = 3, kDefaultStopBits = 0;
constexpr int kDefaultParity = 2, kDefaultFlow = 2;
// Port items from this index on are COM ports, the only ones with line settings.
constexpr int kFirstComPortIndex = 3;

std::string ModelDisplayName()
{
    const ModelRecord& model = kModelRecords[0];
    return DecodeModelName(model.displayNameCode, model.displayNameKey);
}

}  // namespace

CPrinterSettingDlg::CPrinterSettingDlg(HWND parent)
    : CDialog(IDD_PRINTER_SETTING, parent)
{
    // A shared icon from the program's resources: the system frees it, not the page.
    m_hIcon = LoadIconA(ResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CPrinterSettingDlg::~CPrinterSettingDlg() = default;

const CDialog::InitialList* CPrinterSettingDlg::InitialLists(size_t& count) const
{
    static const InitialList lists[] = {
        {IDC_PS_MODEL_COMBO, kModelItems, CountOf(kModelItems)},
        {IDC_PS_PORT_COMBO, kPortItems, CountOf(kPortItems)},
        {IDC_PS_BAUD_COMBO, kBaudItems, CountOf(kBaudItems)},
        {IDC_PS_DATABITS_COMBO, kDataBitsItems, CountOf(kDataBitsItems)},
        {IDC_PS_STOPBITS_COMBO, kStopBitsItems, CountOf(kStopBitsItems)},
        {IDC_PS_PARITY_COMBO, kParityItems, CountOf(kParityItems)},
        {IDC_PS_FLOW_COMBO, kFlowItems, CountOf(kFlowItems)},
    };
    count = sizeof(lists) / sizeof(lists[0]);
    return lists;
}

BOOL CPrinterSettingDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;

    AddAboutCommandToSystemMenu();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The template's model entries are placeholders; the page shows the one model it installs.
    const std::string displayName = ModelDisplayName();
    m_modelCombo = CComboBox(GetDlgItem(IDC_PS_MODEL_COMBO));
    m_modelCombo.ResetContent();
    if (m_modelCombo.AddString(displayName.c_str()) < 0) {
        // Without its one item the installation would have no model to read.
        EndDialog(-1);
        return FALSE;
    }
    m_pModelCombo = &m_modelCombo;
    m_pModelCombo->SetCurSel(0);

    m_defaultCheck = CButton(GetDlgItem(IDC_PS_SET_DEFAULT));
    m_pDefaultCheck = &m_defaultCheck;
    m_pDefaultCheck->SetCheck(BST_CHECKED);
    SetDlgItemText(IDC_PS_PRINTER_NAME, displayName.c_str());

    m_portCombo = CComboBox(GetDlgItem(IDC_PS_PORT_COMBO));
    m_baudCombo = CComboBox(GetDlgItem(IDC_PS_BAUD_COMBO));
    m_dataBitsCombo = CComboBox(GetDlgItem(IDC_PS_DATABITS_COMBO));
    m_stopBitsCombo = CComboBox(GetDlgItem(IDC_PS_STOPBITS_COMBO));
    m_parityCombo = CComboBox(GetDlgItem(IDC_PS_PARITY_COMBO));
    m_flowCombo = CComboBox(GetDlgItem(IDC_PS_FLOW_COMBO));
    m_pPortCombo = &m_portCombo;
    m_pBaudCombo = &m_baudCombo;
    m_pDataBitsCombo = &m_dataBitsCombo;
    m_pStopBitsCombo = &m_stopBitsCombo;
    m_pParityCombo = &m_parityCombo;
    m_pFlowCombo = &m_flowCombo;

    m_pPortCombo->SetCurSel(kDefaultPort);
    m_pBaudCombo->SetCurSel(kDefaultBaud);
    m_pDataBitsCombo->SetCurSel(kDefaultDataBits);
    m_pStopBitsCombo->SetCurSel(kDefaultStopBits);
    m_pParityCombo->SetCurSel(kDefaultParity);
    m_pFlowCombo->SetCurSel(kDefaultFlow);
    EnableSerialCombos(false);

    g_pPrinterDlg = this;
    return TRUE;  // the focus goes to the model combo box, the first tab stop
}

void CPrinterSettingDlg::AddAboutCommandToSystemMenu()
{
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (!systemMenu)
        return;
    // Read as UTF-16 so that the Chinese entry reads right whatever the system's code page.
    wchar_t text[256] = {};
    if (LoadStringW(ResourceInstance(), IDS_ABOUTBOX, text, sizeof(text) / sizeof(text[0])) <= 0 || !text[0])
        return;
    if (AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr))
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CPrinterSettingDlg::EnableSerialCombos(bool enable)
{
    for (CComboBox* combo : {m_pBaudCombo, m_pDataBitsCombo, m_pStopBitsCombo, m_pParityCombo, m_pFlowCombo})
        combo->EnableWindow(enable);
}

void CPrinterSettingDlg::OnCancel()
{
    // Exit, Esc and the close box end the wizard: IDOK tells start-up not to go back.
    CDialog::OnOK();
}

bool CPrinterSettingDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (code == CBN_SELCHANGE) {
        if (id == IDC_PS_MODEL_COMBO) {
            OnSelChangeModel();
            return true;
        }
        if (id == IDC_PS_PORT_COMBO) {
            OnSelChangePort();
            return true;
        }
        return false;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PS_BACK:
        CDialog::OnCancel();
        return true;
    case IDC_PS_NEXT:
        OnNext();
        return true;
    case IDC_PS_EXIT:
        OnCancel();
        return true;
    case IDC_PS_SET_DEFAULT:
        return true;  // an automatic check box toggles itself
    default:
        return false;
    }
}

bool CPrinterSettingDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message) {
    case WM_SYSCOMMAND:
        // The system keeps the low four bits of a system command for itself.
        if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
            return false;  // Move, Close and the rest: the default handling
        {
            CAboutDlg about(m_hWnd);
            about.DoModal();
        }
        result = TRUE;
        return true;
    case WM_PAINT:
        if (!IsIconic(m_hWnd))
            return false;
        PaintMinimisedIcon();
        result = TRUE;
        return true;
    case WM_QUERYDRAGICON:
        // One of the messages whose dialog-procedure result is the answer itself.
        result = reinterpret_cast<INT_PTR>(m_hIcon);
        return true;
    default:
        return false;
    }
}

void CPrinterSettingDlg::PaintMinimisedIcon()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int x = CentredIconOffset(client.right - client.left, GetSystemMetrics(SM_CXICON));
    int y = CentredIconOffset(client.bottom - client.top, GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

void CPrinterSettingDlg::OnNext()
{
    // The port page is read after its window has closed, so it lives until its port name
    // has been copied; it is released on every way out of here.
    auto portPage = std::make_unique<CPortSelectDlg>(m_hWnd);
    g_pPortDlg = portPage.get();
    INT_PTR code = portPage->DoModal();
    NextStep step = DecideAfterPortPage(code, portPage->m_installSucceeded, g_nOsKind);
    if (step != NextStep::StayOnPage)
        g_strPort = portPage->m_strPort;
    const std::vector<DifferingDriverFile> keptFiles = portPage->m_keptFiles;
    // Nothing may reach the page through the global once it is gone.
    g_pPortDlg = nullptr;
    portPage.reset();

    if (step == NextStep::StayOnPage)
        return;
    // "Completed!", and the driver files Windows kept rather than the package's, each with both dates.
    if (step == NextStep::CompleteWithMessage)
        ShowMessage(m_hWnd, CompletionText(keptFiles));
    CDialog::OnOK();
}

void CPrinterSettingDlg::OnSelChangeModel()
{
    if (m_pModelCombo->GetCurSel() == 0)
        SetDlgItemText(IDC_PS_PRINTER_NAME, ModelDisplayName().c_str());
}

void CPrinterSettingDlg::OnSelChangePort()
{
    // Only a COM port has line settings; LPT ports and no selection (-1) have none.
    EnableSerialCombos(m_pPortCombo->GetCurSel() >= kFirstComPortIndex);
}
