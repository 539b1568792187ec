// Text from files and folders made fit to show.
#pragma once
#include <string>

// text as valid UTF-8 for showing: each byte that does not belong to a well-formed sequence (overlong
// forms, surrogates and code points past U+10FFFF included) becomes '?', and each control character
// becomes controlStandIn.
std::string ShowableText(const std::string& text, char controlStandIn);
