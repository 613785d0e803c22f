// Fields of a text. With a delimiter, the fields are the pieces between its non-overlapping
// occurrences; with an empty delimiter the text is a comma-separated list whose fields may be
// quoted; the Any forms split at every unit of a set. Field numbers are 1-based and a negative
// n counts from the end (-1 is the last field). A field number out of range gives the empty
// text; a count is never below 1.
//
// Operands, pushed in this order: text, then delimiter (or set). Both are consumed; a field
// is pushed as an owned result. The plain names take wide text, the Bytes forms byte text.
#pragma once

#include <cstdint>

namespace qv {

int32_t TokenCount();
void TokenField(int32_t n);
int32_t TokenCountAny();
void TokenFieldAny(int32_t n);

int32_t TokenCountBytes();
void TokenFieldBytes(int32_t n);
int32_t TokenCountAnyBytes();
void TokenFieldAnyBytes(int32_t n);

}  // namespace qv
