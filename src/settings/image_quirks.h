// The places of the image whose coding is not a plain bit field, number or text: the
// capcode entries, the split decoder thresholds, the alert type and date format spread
// over two bytes, and the bytes derived from other settings. Each works on the bits its
// row names, in the order the row lists them.
#pragma once

#include "settings/image_layout.h"

namespace pagerprog::quirk {

// `address<slot>` in the six-address entries (frame from the frame byte) and in the
// bit-reversed eight-address entries.
extern const QuirkCodec sixAddressEntry;
extern const QuirkCodec eightAddressEntry;
// The channel raster the frequency rule chose last (six-address layout).
extern const QuirkCodec channelStep;
// `bs3_8212` and `bs1_8212`: six bits each, mirrored pieces in two bytes: the high run
// first, then the low one.
extern const QuirkCodec bs3Split;
extern const QuirkCodec bs1Split;
// The eight-address layout's Fennic mark: 0x54 for the customer "Fennic", else 0.
extern const QuirkCodec fennicMark;
// The complement of the counter byte that holds `n_count` and `r_count`.
extern const QuirkCodec counterComplement;
// `alerttype`: "User select" is a bit of its own (the second run), the others the first run.
extern const QuirkCodec alertType;
// `dateformat`: bit 0 in the first run, bit 1 in the second.
extern const QuirkCodec dateFormat;
// The remind alert is on; when clear the pager ignores the count.
extern const QuirkCodec unreadAlertFlag;
// `rangetime` is stored as its index plus 1.
extern const QuirkCodec rangeTime;
// `lcddrv_opa`: a byte of 0 counts as 2, and the decoder repairs the image.
extern const QuirkCodec lcdDriverOpa;

}  // namespace pagerprog::quirk
