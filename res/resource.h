// Every resource identifier of the program and its language modules.
#pragma once

// Service states, by state code: IDS_STATE_BASE + currentState.
#define IDS_STATE_BASE 9000
#define IDS_STATE_STOPPED 9001
#define IDS_STATE_START_PENDING 9002
#define IDS_STATE_STOP_PENDING 9003
#define IDS_STATE_RUNNING 9004
#define IDS_STATE_CONTINUE_PENDING 9005
#define IDS_STATE_PAUSE_PENDING 9006
#define IDS_STATE_PAUSED 9007

// Service command failures; %s is the service's key name.
#define IDS_ERROR_STARTING_SERVICE 9101
#define IDS_ERROR_STOPPING_SERVICE 9102
#define IDS_ERROR_PAUSING_SERVICE 9103
#define IDS_ERROR_RESTARTING_SERVICE 9104
