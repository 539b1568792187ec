// Text from files and folders made fit to show.
#pragma once
#include <string>
#include <vector>

// text as valid UTF-8 for showing: each byte that does not belong to a well-formed sequence (overlong
// forms, surrogates and code points past U+10FFFF included) becomes '?', and each control character
// becomes controlStandIn.
std::string ShowableText(const std::string& text, char controlStandIn);

// The pieces of text between separators, in order: n separators give n + 1 pieces, empty ones included
// ("" gives one empty piece).
std::vector<std::string> SplitText(const std::string& text, char separator);
