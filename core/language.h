#pragma once

#include <cstdint>

namespace lumivex {

// A Windows primary language id, as "LanID" stores it and as LANGIDs carry it in their low ten bits. The
// named ones have a language file or a menu item; a stored number outside them is kept as it is and
// chooses English.
enum class PrimaryLanguage : std::uint32_t {
  None = 0,  // no language chosen yet: the system's is used
  Arabic = 1,
  Bulgarian = 2,
  Chinese = 4,
  Danish = 6,
  German = 7,
  English = 9,
  Spanish = 10,
  Finnish = 11,
  French = 12,
  Hebrew = 13,
  Italian = 16,
  Japanese = 17,
  Korean = 18,
  Dutch = 19,
  Norwegian = 20,
  Polish = 21,
  Portuguese = 22,
  Russian = 25,
  Swedish = 29,
  Thai = 30,
  Turkish = 31,
  Vietnamese = 42,
  Persian = 58,
};

// "SubLanIDD": which Chinese; 0 for every other language.
enum class SubLanguage : std::uint32_t { Neutral = 0, Traditional = 1, Simplified = 2 };

// The language choice the settings hold and the language menu offers.
struct Language {
  PrimaryLanguage primary = PrimaryLanguage::None;
  SubLanguage sub = SubLanguage::Neutral;
  friend bool operator==(const Language&, const Language&) = default;
};

}  // namespace lumivex
