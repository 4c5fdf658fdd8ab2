// Month words as servers in many languages print them: English and the
// European languages their ls and FTP daemons are localised to, Russian, and
// the CJK forms with a number and 月 or 월. Bytes are UTF-8 as the server
// sends them. Stateless; safe on any thread.
#pragma once

namespace ferrix::decoder {

// 1-12 for the month word in [begin, end): a full name or a known
// abbreviation, any letter case, an optional trailing '.'; also the start of a
// full name at least three letters long when it names one month only ("szept",
// "márc"). "6月" and "6월" give 6. Anything else gives 0.
int MonthFromWord(const char* begin, const char* end);

}  // namespace ferrix::decoder
