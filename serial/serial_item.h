// SerialItem: the item codes shared by ChannelSet and ChannelQuery.
#pragma once

#include <cstdint>

namespace qv {

enum SerialItem : int32_t {
  kItemNoFlowControl = 0,
  kItemBaudRate = 1,
  kItemBreak = 2,
  kItemDataBits = 3,
  kItemCts = 4,
  kItemCtsFlow = 5,
  kItemDsr = 6,
  kItemDsrFlow = 7,
  kItemDsrSensitivity = 8,
  kItemDtrHandshake = 9,
  kItemDtrEnable = 10,
  kItemNullStrip = 11,
  kItemParityCheck = 12,
  kItemErrorChar = 13,
  kItemErrorCharOn = 14,
  kItemParity = 15,
  kItemRing = 16,
  kItemCarrier = 17,
  kItemRtsControl = 18,
  kItemReceiveQueue = 19,
  kItemBytesWaiting = 20,
  kItemStopBits = 21,
  kItemTransmitQueue = 22,
  kItemBytesToSend = 23,
  kItemXonXoffIn = 24,
  kItemXonXoffOut = 25,
  kItemLast = 25,
};

}  // namespace qv
