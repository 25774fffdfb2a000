// String ids of the scan job's texts. Server result codes are string ids too.
#pragma once

#define IDS_HTTP_PORT_DEFAULT 17
#define IDS_COMMAND_PROGRAM 18
#define IDS_LANGUAGE_HEADER 19
#define IDS_SERVER_ERROR_FMT 22
#define IDS_SERVER_NOT_RUNNING 24
#define IDS_DATA_COUNT_MISMATCH 452
#define IDS_TRANSPORT_ERROR 22000
