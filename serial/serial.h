// Numbered serial channels: everything a program needs to open, set up, read, write and close
// a serial port.
#pragma once

#include "channel_close.h"
#include "channel_open.h"
#include "channel_query.h"
#include "channel_receive.h"
#include "channel_send.h"
#include "channel_set.h"
#include "channel_table.h"
#include "serial_errors.h"
#include "serial_item.h"
