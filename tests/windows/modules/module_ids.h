// Identifiers of the resources in the test language modules.
#pragma once
#define TEST_DIALOG 1012
#define TEST_DIALOG_LABEL 1013
#define TEST_MENU 128
#define TEST_BITMAP 501
#define TEST_ICON 506
#define TEST_WAVE 134
#define TEST_STRING 9001
#define TEST_TITLE 57344
