// The places of the image whose coding is not a plain bit field, number or text: the
// capcode entries, the split decoder thresholds, the alert type and date format spread
// over two bytes, and the bytes derived from other settings.
#pragma once

#include "settings/image_layout.h"

namespace pagerprog::quirk {

// `address<slot>` in the six-address entries (frame from the frame byte) and in the
// bit-reversed eight-address entries.
extern const QuirkCodec sixAddressEntry;
extern const QuirkCodec eightAddressEntry;
// The channel raster the frequency rule chose last, at 0x01E (six-address layout).
extern const QuirkCodec channelStep;
// `bs3_8212` and `bs1_8212`: six bits each, mirrored pieces over 0x021..0x023.
extern const QuirkCodec bs3Split;
extern const QuirkCodec bs1Split;
// 0x024 of the eight-address layout: 0x54 for the customer "Fennic", else 0.
extern const QuirkCodec fennicMark;
// 0x026: the complement of the counter byte 0x025.
extern const QuirkCodec counterComplement;
// `alerttype`: "User select" is bit 5 of 0x185, the others bits 5-4 of 0x040.
extern const QuirkCodec alertType;
// `dateformat`: bit 0 in 0x041 bit 5, bit 1 in 0x185 bit 1.
extern const QuirkCodec dateFormat;
// Bit 2 of 0x041: the remind alert is on; when clear the pager ignores the count.
extern const QuirkCodec unreadAlertFlag;
// `rangetime` is stored as its index plus 1.
extern const QuirkCodec rangeTime;
// An LCD driver OPA byte of 0 counts as 2; the decoder repairs the image.
extern const QuirkCodec lcdOpaZeroAsTwo;

}  // namespace pagerprog::quirk
