// The flags the run-time gives the platform's code-page converters. Byte text becomes wide
// text with "precomposed characters", but a number of code pages refuse every flag (the
// converter then fails, and the text would silently come out empty): for those no flag is
// passed. Wide text becomes byte text with no flag and no default character, which every code
// page takes. A symbolic code page is resolved first, since the system's ANSI code page may
// itself be one that refuses flags (UTF-8).
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kPrecomposed = 0x1;  // MB_PRECOMPOSED
// 0 the system's ANSI code page, 1 its OEM code page, 2 its Macintosh code page, 3 the
// calling thread's ANSI code page.
constexpr uint32_t kLastSymbolicCodePage = 3;

// The real code page a conversion with `code_page` uses; `symbolic` tells what 0 to 3 stand for.
uint32_t CodePageResolve(uint32_t code_page, uint32_t (*symbolic)(uint32_t));

// Whether the converters take no flag (beyond the invalid-character check) for this real code
// page: Symbol, UTF-7 and UTF-8, the ISO-2022 pages, HZ, GB 18030 and ISCII.
bool CodePageRefusesFlags(uint32_t real_code_page);

// The flags for MultiByteToWideChar and WideCharToMultiByte with this real code page.
uint32_t BytesToWideFlags(uint32_t real_code_page);
uint32_t WideToBytesFlags(uint32_t real_code_page);

}  // namespace qv
