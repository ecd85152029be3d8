#pragma once

#define IDD_TEST 100
#define IDD_BROKEN 200
#define IDC_CHOICE 1001
#define IDC_NAME 1002
#define IDC_STATUS 1003
#define IDC_TICK 1004
#define IDC_ROWS 1005
#define IDC_PROGRESS 1006
#define IDC_APPLY 1010
#define IDC_ASK 1011
#define IDC_RUN 1012
#define IDC_COUNT 1013
#define IDC_LOCK 1014
#define IDC_FAIL 1015
