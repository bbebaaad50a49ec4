#ifndef TOOLS_STAND_IN_ENGINE_DOCUMENT_MODE_H_
#define TOOLS_STAND_IN_ENGINE_DOCUMENT_MODE_H_

#include <cstdint>
#include <optional>

// The FEATURE_BROWSER_EMULATION value the engine uses when none is set.
inline constexpr uint32_t kDefaultEmulation = 7000;
// documentMode of a page rendered in quirks mode.
inline constexpr int kQuirksDocumentMode = 5;

// True for the emulation values the engine knows: 7000, 8000, 8888, 9000,
// 9999, 10000, 10001, 11000, 11001.
bool IsKnownEmulation(uint32_t emulation);

// documentMode of a page: the forcing values (8888, 9999, 10001, 11001) give
// their version whatever the page says; the others give their version to a
// page with a DOCTYPE and quirks mode to one without. A missing or unknown
// value counts as kDefaultEmulation.
int DocumentModeFor(std::optional<uint32_t> emulation, bool has_doctype);

#endif  // TOOLS_STAND_IN_ENGINE_DOCUMENT_MODE_H_
