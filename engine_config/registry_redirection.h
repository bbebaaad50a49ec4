#ifndef ENGINE_CONFIG_REGISTRY_REDIRECTION_H_
#define ENGINE_CONFIG_REGISTRY_REDIRECTION_H_

// Hooks the process's registry functions so that the engine reads its
// feature controls from this program's own key, HKCU
// "Software\tabbridge\Main\FeatureControl\", and gets fixed answers for a
// set of browsing options (registry_options.h), whoever in the process asks:
//
// - opening "Software\Microsoft\Internet Explorer\Main\FeatureControl" of
//   HKCU or HKLM (any letter case) opens the program's feature key instead;
// - opening a "FEATURE_..." subkey relative to any other key opens it below
//   the program's feature key, when that key existed at installation.
//
// The hooks stay until the process ends. Later calls do nothing.
void InstallRegistryHooks();

#endif  // ENGINE_CONFIG_REGISTRY_REDIRECTION_H_
