// Trimming the start or end of a text: blanks (0x20 only; tabs stay), whole repetitions of a
// pattern, or units of a set. A text that loses nothing is handed back as it came, without a
// copy. The plain names take byte text, the Wide forms wide text.
#pragma once

namespace qv {

// Operand: the text.
void TrimLeadingSpaces();
void TrimTrailingSpaces();
// Operands, pushed in this order: the text, then the pattern or set (consumed).
void TrimLeadingPattern();
void TrimTrailingPattern();
void TrimLeadingSet();
void TrimTrailingSet();

void TrimLeadingSpacesWide();
void TrimTrailingSpacesWide();
void TrimLeadingPatternWide();
void TrimTrailingPatternWide();
void TrimLeadingSetWide();
void TrimTrailingSetWide();

}  // namespace qv
