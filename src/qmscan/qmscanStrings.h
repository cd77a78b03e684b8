#pragma once
// Numbers of qmscan's own texts (qmscan.rc), in a block of their own.
#define IDS_QMSCAN_HELP 9000
#define IDS_QMSCAN_UNKNOWN_ARGUMENT 9001
#define IDS_QMSCAN_CONFLICT 9002
#define IDS_QMSCAN_KIND_FAILED 9003
#define IDS_QMSCAN_NO_LIBRARY 9004
#define IDS_QMSCAN_FAILED 9005
