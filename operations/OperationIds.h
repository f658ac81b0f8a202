// Resource ids of the operation dialog, shared by the resource script and code.
#pragma once

#define IDD_OPERATION 109
#define IDA_OPERATION 102

#define IDI_MODE_RECYCLE 121
#define IDI_MODE_DELETE 122
#define IDI_MODE_ERASE 123

#define IDC_MODEICON 316
#define IDC_TEXT 317
#define IDC_ANIMATION 318
#define IDC_FILENAME 319
#define IDC_PASSES 329
