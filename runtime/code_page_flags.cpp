#include "code_page_flags.h"

namespace qv {

uint32_t CodePageResolve(uint32_t code_page, uint32_t (*symbolic)(uint32_t)) {
  return code_page <= kLastSymbolicCodePage ? symbolic(code_page) : code_page;
}

bool CodePageRefusesFlags(uint32_t cp) {
  return cp == 42                          // Symbol
         || cp == 65000 || cp == 65001     // UTF-7, UTF-8
         || (cp >= 50220 && cp <= 50229)   // ISO-2022: Japanese, Korean, Chinese
         || cp == 52936                    // HZ-GB2312
         || cp == 54936                    // GB 18030
         || (cp >= 57002 && cp <= 57011);  // ISCII
}

uint32_t BytesToWideFlags(uint32_t real_code_page) {
  return CodePageRefusesFlags(real_code_page) ? 0 : kPrecomposed;
}

uint32_t WideToBytesFlags(uint32_t) { return 0; }

}  // namespace qv
