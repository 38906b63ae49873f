// Resource identifiers. The numbers are fixed by the dialog templates; several
// numbers are reused by different dialogs, so each name says whose control it is.
#pragma once

#define IDD_ABOUTBOX                100
#define IDS_ABOUTBOX                101
#define IDD_PRINTER_SETTING         102
#define IDR_MAINFRAME               128
#define IDD_OS_SELECT               129
#define IDD_CREATE_PORT             138
#define IDD_PORT_SELECT             139
// The package seal (RCDATA): a placeholder of fixed size that scripts/seal.sh overwrites.
#define IDR_PACKAGE_SEAL            200

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// System-menu command of the printer settings page that opens the About box.
#define IDM_ABOUTBOX                0x0010

// Operating-system page (template 129)
#define IDC_OS_RADIO_95             1000
#define IDC_OS_RADIO_98             1001
#define IDC_OS_RADIO_NT4            1002
#define IDC_OS_RADIO_2000           1003
#define IDC_OS_RADIO_XP             1004
#define IDC_OS_RADIO_7              1005
#define IDC_OS_RADIO_8_10           1006
#define IDC_OS_SLIDER               1007
#define IDC_OS_BACK                 1008
#define IDC_OS_INSTALL_DRIVER       1009
#define IDC_OS_EXIT                 1010
#define IDC_OS_RADIO_2003           1011
#define IDC_OS_HIDDEN_EDIT          1013
#define IDC_OS_RADIO_VISTA          1020
#define IDC_OS_USB_SERIAL_SETUP     1022
#define IDC_OS_USB_SECOND_SETUP     1023

// Printer settings page (template 102)
#define IDC_PS_BACK                 1008
#define IDC_PS_NEXT                 1009
#define IDC_PS_EXIT                 1010
#define IDC_PS_MODEL_COMBO          1011
#define IDC_PS_SET_DEFAULT          1012
#define IDC_PS_PRINTER_NAME         1013
#define IDC_PS_PORT_COMBO           1014
#define IDC_PS_BAUD_COMBO           1015
#define IDC_PS_DATABITS_COMBO       1016
#define IDC_PS_FLOW_COMBO           1017
#define IDC_PS_PARITY_COMBO         1018
#define IDC_PS_STOPBITS_COMBO       1019

// Port selection page (template 139)
#define IDC_PP_SLIDER               1007
#define IDC_PP_CREATE_PORT          1008
#define IDC_PP_CONFIGURE_PORT       1009
#define IDC_PP_BACK                 1010
#define IDC_PP_PORT_LIST            1021
#define IDC_PP_INSTALL              1022
#define IDC_PP_CANCEL               1023
#define IDC_PP_PROGRESS             1025

// Create Port dialog (template 138)
#define IDC_CP_NEW_PORT             1008
#define IDC_CP_CLOSE                1009
#define IDC_CP_MONITOR_LIST         1021
