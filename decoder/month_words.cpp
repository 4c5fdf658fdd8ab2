#include "decoder/month_words.h"

#include <cstddef>
#include <cstring>

namespace ferrix::decoder {
namespace {

struct MonthWord {
  const char* word;  // lower case, UTF-8
  int month;
};

// Full names (also the genitive forms the Slavic languages print) and the
// abbreviations localised ls and FTP daemons use. A word equal to one of these
// wins; otherwise a word of three letters or more that starts one of them is
// taken when every such entry names the same month.
constexpr MonthWord kMonthWords[] = {
    // English
    {"jan", 1}, {"feb", 2}, {"mar", 3}, {"apr", 4}, {"may", 5}, {"jun", 6}, {"jul", 7},
    {"aug", 8}, {"sep", 9}, {"oct", 10}, {"nov", 11}, {"dec", 12},
    {"january", 1}, {"february", 2}, {"march", 3}, {"april", 4}, {"june", 6}, {"july", 7},
    {"august", 8}, {"september", 9}, {"october", 10}, {"november", 11}, {"december", 12},
    // German, Dutch, the Scandinavian languages
    {"jän", 1}, {"mär", 3}, {"mrz", 3}, {"mrt", 3}, {"mai", 5}, {"mei", 5}, {"maj", 5},
    {"okt", 10}, {"dez", 12}, {"des", 12},
    {"januar", 1}, {"januari", 1}, {"februar", 2}, {"februari", 2}, {"märz", 3}, {"maart", 3},
    {"mars", 3}, {"marts", 3}, {"juni", 6}, {"juli", 7}, {"augustus", 8}, {"augusti", 8},
    {"oktober", 10}, {"dezember", 12}, {"desember", 12},
    // French
    {"janvier", 1}, {"février", 2}, {"avril", 4}, {"juin", 6}, {"juillet", 7}, {"août", 8},
    {"sept", 9}, {"septembre", 9}, {"octobre", 10}, {"novembre", 11}, {"décembre", 12},
    // Spanish, Italian, Portuguese
    {"ene", 1}, {"gen", 1}, {"fev", 2}, {"abr", 4}, {"mag", 5}, {"giu", 6}, {"lug", 7},
    {"ago", 8}, {"set", 9}, {"ott", 10}, {"out", 10}, {"dic", 12},
    {"enero", 1}, {"gennaio", 1}, {"janeiro", 1}, {"febrero", 2}, {"febbraio", 2},
    {"fevereiro", 2}, {"marzo", 3}, {"março", 3}, {"abril", 4}, {"aprile", 4}, {"mayo", 5},
    {"maggio", 5}, {"maio", 5}, {"junio", 6}, {"giugno", 6}, {"junho", 6}, {"julio", 7},
    {"luglio", 7}, {"julho", 7}, {"agosto", 8}, {"septiembre", 9}, {"settembre", 9},
    {"setembro", 9}, {"octubre", 10}, {"ottobre", 10}, {"outubro", 10}, {"noviembre", 11},
    {"novembro", 11}, {"diciembre", 12}, {"dicembre", 12}, {"dezembro", 12},
    // Finnish
    {"tammikuu", 1}, {"helmikuu", 2}, {"maaliskuu", 3}, {"huhtikuu", 4}, {"toukokuu", 5},
    {"kesäkuu", 6}, {"heinäkuu", 7}, {"elokuu", 8}, {"syyskuu", 9}, {"lokakuu", 10},
    {"marraskuu", 11}, {"joulukuu", 12},
    // Polish
    {"sty", 1}, {"lut", 2}, {"kwi", 4}, {"cze", 6}, {"lip", 7}, {"sie", 8}, {"wrz", 9},
    {"paź", 10}, {"lis", 11}, {"gru", 12},
    {"styczeń", 1}, {"stycznia", 1}, {"luty", 2}, {"lutego", 2}, {"marzec", 3}, {"marca", 3},
    {"kwiecień", 4}, {"kwietnia", 4}, {"maja", 5}, {"czerwiec", 6}, {"czerwca", 6},
    {"lipiec", 7}, {"lipca", 7}, {"sierpień", 8}, {"sierpnia", 8}, {"wrzesień", 9},
    {"września", 9}, {"październik", 10}, {"października", 10}, {"listopad", 11},
    {"listopada", 11}, {"grudzień", 12}, {"grudnia", 12},
    // Czech
    {"led", 1}, {"úno", 2}, {"bře", 3}, {"dub", 4}, {"kvě", 5}, {"čen", 6}, {"čec", 7},
    {"srp", 8}, {"zář", 9}, {"říj", 10}, {"pro", 12},
    {"leden", 1}, {"ledna", 1}, {"únor", 2}, {"února", 2}, {"březen", 3}, {"března", 3},
    {"duben", 4}, {"dubna", 4}, {"květen", 5}, {"května", 5}, {"červen", 6}, {"června", 6},
    {"červenec", 7}, {"července", 7}, {"srpen", 8}, {"srpna", 8}, {"září", 9}, {"říjen", 10},
    {"října", 10}, {"listopadu", 11}, {"prosinec", 12}, {"prosince", 12},
    // Hungarian
    {"január", 1}, {"február", 2}, {"március", 3}, {"április", 4}, {"május", 5},
    {"június", 6}, {"július", 7}, {"augusztus", 8}, {"szeptember", 9}, {"október", 10},
    // Russian
    {"янв", 1}, {"фев", 2}, {"мар", 3}, {"апр", 4}, {"май", 5}, {"июн", 6}, {"июл", 7},
    {"авг", 8}, {"сен", 9}, {"окт", 10}, {"ноя", 11}, {"дек", 12},
    {"январь", 1}, {"января", 1}, {"февраль", 2}, {"февраля", 2}, {"март", 3}, {"марта", 3},
    {"апрель", 4}, {"апреля", 4}, {"мая", 5}, {"июнь", 6}, {"июня", 6}, {"июль", 7},
    {"июля", 7}, {"август", 8}, {"августа", 8}, {"сентябрь", 9}, {"сентября", 9},
    {"октябрь", 10}, {"октября", 10}, {"ноябрь", 11}, {"ноября", 11}, {"декабрь", 12},
    {"декабря", 12},
};

constexpr std::size_t kLongestWord = 32;
constexpr int kShortestPrefix = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }

// Lower-cases one UTF-8 character into out (ASCII, Latin-1, Latin Extended-A
// and Cyrillic capitals); returns the bytes read, which equal the bytes
// written.
std::size_t FoldCharacter(const char* in, const char* end, char* out) {
  const unsigned char first = Byte(in);
  if (first < 0x80) {
    out[0] = (first >= 'A' && first <= 'Z') ? static_cast<char>(first + 32) : in[0];
    return 1;
  }
  if (end - in < 2 || (first != 0xC3 && first != 0xC4 && first != 0xC5 && first != 0xD0)) {
    out[0] = in[0];
    return 1;
  }
  const unsigned code = ((first & 0x1Fu) << 6) | (Byte(in + 1) & 0x3Fu);
  unsigned lower = code;
  if (code >= 0xC0 && code <= 0xDE && code != 0xD7) {
    lower = code + 0x20;
  } else if ((code >= 0x100 && code <= 0x137) || (code >= 0x14A && code <= 0x177)) {
    lower = code | 1u;
  } else if ((code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E)) {
    lower = (code % 2 == 1) ? code + 1 : code;
  } else if (code >= 0x410 && code <= 0x42F) {
    lower = code + 0x20;
  } else if (code >= 0x400 && code <= 0x40F) {
    lower = code + 0x50;
  }
  out[0] = static_cast<char>(0xC0u | (lower >> 6));
  out[1] = static_cast<char>(0x80u | (lower & 0x3Fu));
  return 2;
}

// Number of characters, counting UTF-8 lead bytes only.
int CharacterCount(const char* text, std::size_t length) {
  int count = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if ((Byte(text + i) & 0xC0u) != 0x80u) ++count;
  }
  return count;
}

// "6月" or "6월": the number before the CJK month sign.
int CjkMonth(const char* begin, const char* end) {
  const char* digits = begin;
  int value = 0;
  while (digits < end && IsDigit(*digits) && value < 100) value = value * 10 + (*digits++ - '0');
  if (digits == begin) return 0;
  const std::size_t rest = static_cast<std::size_t>(end - digits);
  const bool sign = rest == 3 && (std::memcmp(digits, "月", 3) == 0 || std::memcmp(digits, "월", 3) == 0);
  return sign && value >= 1 && value <= 12 ? value : 0;
}

int MonthFromFolded(const char* word, std::size_t length) {
  int prefixMonth = 0;
  bool prefixAmbiguous = false;
  const bool longEnough = CharacterCount(word, length) >= kShortestPrefix;
  for (const MonthWord& candidate : kMonthWords) {
    const std::size_t candidateLength = std::strlen(candidate.word);
    if (candidateLength < length || std::memcmp(candidate.word, word, length) != 0) continue;
    if (candidateLength == length) return candidate.month;
    if (!longEnough) continue;
    if (prefixMonth != 0 && prefixMonth != candidate.month) prefixAmbiguous = true;
    prefixMonth = candidate.month;
  }
  return prefixAmbiguous ? 0 : prefixMonth;
}

}  // namespace

int MonthFromWord(const char* begin, const char* end) {
  if (begin == nullptr || end <= begin) return 0;
  if (IsDigit(*begin)) return CjkMonth(begin, end);
  if (end[-1] == '.') --end;
  const auto length = static_cast<std::size_t>(end - begin);
  if (length == 0 || length >= kLongestWord) return 0;
  char folded[kLongestWord];
  for (std::size_t i = 0; i < length;) i += FoldCharacter(begin + i, end, folded + i);
  return MonthFromFolded(folded, length);
}

}  // namespace ferrix::decoder
