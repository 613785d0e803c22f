// Letter case of wide text, unit by unit with the platform's case mapping; the length never
// changes. Operand: the text (consumed); the result is pushed. When no block can be had for
// the result, error 7 is raised and the operand stays as the result.
#pragma once

namespace qv {

void UpperCase();
void LowerCase();
// Upper-cases the first unit of every word and lower-cases the rest; a word is a run of
// alphabetic units.
void CapitalizeWords();

}  // namespace qv
