#pragma once
// A dialog template for the framework's dialog tests.
#define IDD_TEST_DIALOG 3001
#define IDD_TEST_MISSING 3002
#define IDC_TEST_NAME 3101
#define IDC_TEST_ENABLED 3102
#define IDC_TEST_FIRST_CHOICE 3103
#define IDC_TEST_SECOND_CHOICE 3104
#define IDC_TEST_THIRD_CHOICE 3105
#define IDC_TEST_AFTER_GROUP 3106
