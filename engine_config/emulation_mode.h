#ifndef ENGINE_CONFIG_EMULATION_MODE_H_
#define ENGINE_CONFIG_EMULATION_MODE_H_

// Document modes of the engine as FEATURE_BROWSER_EMULATION numbers them:
// 7000 .. 11000 honour a page's DOCTYPE, 8888, 9999, 10001 and 11001 force
// the mode whatever the page says.

// The standard mode of an engine's own version; 7000 for anything older
// than 8 and for unknown versions.
int DefaultEmulationForEngine(int engine_major_version);

// "IE 9 Standard Mode" and "IE 9"; "IE Compatibility Mode" and "IE Mode" for
// numbers outside the table.
const char* EmulationLongLabel(int emulation);
const char* EmulationShortLabel(int emulation);

#endif  // ENGINE_CONFIG_EMULATION_MODE_H_
