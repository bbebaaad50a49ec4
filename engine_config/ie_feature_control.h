#ifndef ENGINE_CONFIG_IE_FEATURE_CONTROL_H_
#define ENGINE_CONFIG_IE_FEATURE_CONTROL_H_

// The document mode ("emulation") pages open in, stored per user under
// HKCU "Software\tabbridge\Main\FeatureControl\FEATURE_BROWSER_EMULATION"
// with this program's file name as the value name.
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

 private:
  EngineVersionProvider engine_version_provider_;
  // What the engine was last configured with.
  int reserved_ = 0;
  int engine_version_ = 7;
  int emulation_ = 7000;
};

#endif  // ENGINE_CONFIG_IE_FEATURE_CONTROL_H_
