// The code-page contract: conversion between byte text and UTF-16, for the
// two code pages the program knows. Each platform implements it alike:
// - UTF-8 decoding turns every maximal invalid subpart into one U+FFFD;
// - UTF-8 encoding turns a lone surrogate into U+FFFD;
// - GBK encoding turns each UTF-16 code unit it cannot represent into "?"
//   (so a character outside the BMP gives "??");
// - GBK decoding turns an undecodable byte or pair into "?".
#pragma once

#include <string>

#include "text/text.h"

enum class CodePage { kUtf8 = 65001, kGbk = 936 };

std::u16string DecodeCodePage(CodePage page, const Text& bytes);
Text EncodeCodePage(CodePage page, const std::u16string& wide);
