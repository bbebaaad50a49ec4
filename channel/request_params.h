#ifndef CHANNEL_REQUEST_PARAMS_H_
#define CHANNEL_REQUEST_PARAMS_H_

#include <string>

// Decoded request records. Narrow strings are UTF-8 as received; wide strings
// are converted for the window system and the engine.

inline constexpr int kDefaultEmulationMode = 11000;

struct CreateParams {
  std::string port;
  std::string url;
  std::string cookie;
  std::string title;
  int session_id = -1;
  int width = 0;
  int height = 0;
  bool banner = true;
  bool f12 = true;
  int compatible_mode = kDefaultEmulationMode;
  bool compatible_mode_gp = false;
};

struct AttachParams {
  std::wstring title;
  int width = 0;
  int height = 0;
  int frame_id = -1;
};

struct NavigateParams {
  int frame_id = -1;
  std::wstring url;
  std::wstring cookie;
};

struct PingParams {
  int frame_id = -1;
  int session_id = -1;
  std::string cmd;
  std::string value;
};

struct CheckVersionParams {
  int frame_id = -1;
  int session_id = -1;
  std::string version;
};

struct UpdateParams {
  int frame_id = -1;
  int session_id = -1;
  std::string file_content;
  std::string version;
  std::string md5;
};

#endif  // CHANNEL_REQUEST_PARAMS_H_
