// How the runner prints what an operation returns: one line per call, in the script's own forms,
// so that a printed value can be written back into a script.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::script {

// A 0x00BBGGRR colour as &H0000FF; the negative sentinels (-1, -2, -3) as decimal numbers.
std::string ColourText(int32_t colour);

// The shortest decimal that reads back as the same float32 (2, 0.5, 1e+20).
std::string NumberText(float value);

// The text in double quotes, UTF-8. Units a script line cannot hold as they are (below U+0020,
// the quote, the backslash, a surrogate without its partner) are written \uXXXX.
std::string QuotedText(std::u16string_view text);

}  // namespace qv::script
