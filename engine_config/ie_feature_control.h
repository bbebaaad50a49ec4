#ifndef ENGINE_CONFIG_IE_FEATURE_CONTROL_H_
#define ENGINE_CONFIG_IE_FEATURE_CONTROL_H_

// The document mode ("emulation") pages open in, stored per user under
// HKCU "Software\tabbridge\Main\FeatureControl\FEATURE_BROWSER_EMULATION"
// with this program's file name as the value name, and the engine's other
// feature controls, kept beside it.
class IEFeatureControl {
 public:
  using EngineVersionProvider = int (*)();

  static IEFeatureControl& GetInstance();

  // `engine_version` tells the installed engine's major version.
  explicit IEFeatureControl(EngineVersionProvider engine_version);
  virtual ~IEFeatureControl();
  IEFeatureControl(const IEFeatureControl&) = delete;
  IEFeatureControl& operator=(const IEFeatureControl&) = delete;

  // The standard mode of the installed engine.
  int GetDefaultEmulation();
  // Sets `value` to the stored mode and returns true; sets it to the default
  // and returns false when none is stored.
  [[nodiscard]] bool GetStoredEmulation(int* value);
  // Stores the mode for iexplore.exe and this program.
  [[nodiscard]] bool SetEmulation(int value);

  // Configures the engine for this process, before any browser exists: takes
  // the stored mode, redirects the engine's feature-control reads to the
  // program's key (registry_redirection.h), switches on the process-wide
  // features and writes the feature values the engine version calls for.
  // Once per process; failures only leave settings out.
  void Apply();

 private:
  EngineVersionProvider engine_version_provider_;
  // What Apply configured the engine with.
  int engine_version_ = 7;
  int emulation_ = 7000;
};

#endif  // ENGINE_CONFIG_IE_FEATURE_CONTROL_H_
