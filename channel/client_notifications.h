#ifndef CHANNEL_CLIENT_NOTIFICATIONS_H_
#define CHANNEL_CLIENT_NOTIFICATIONS_H_

#include <optional>
#include <string>
#include <string_view>

#include "utils/host_version.h"

// Builders of the texts the host sends to the extension. Text arguments are
// UTF-8. Each returns nothing when the JSON text cannot be printed.

// Compact print.
std::optional<std::string> BuildCommonResponse(int session_id, std::string_view ret);

// Formatted print, members in the order the extension expects.
std::optional<std::string> BuildCookieSync(std::string_view url,
                                           std::string_view values,
                                           bool http_only,
                                           int frame_id);
std::optional<std::string> BuildAttachState(int state, int frame_id, std::string_view title);
std::optional<std::string> BuildBack(int frame_id);
std::optional<std::string> BuildForward(int frame_id);
std::optional<std::string> BuildSetCompatibleMode(int mode, int frame_id, std::string_view port);
std::optional<std::string> BuildTitleChange(std::string_view title, int frame_id);
std::optional<std::string> BuildCloseTab(std::string_view url, int frame_id);
std::optional<std::string> BuildBeforeNavigate(bool main_frame, std::string_view url, int frame_id);
std::optional<std::string> BuildLeaveCurrentTab(std::string_view url, int frame_id);
std::optional<std::string> BuildNewTab(std::string_view url,
                                       int frame_id,
                                       std::string_view port,
                                       bool force_ie);
std::optional<std::string> BuildNewWindow(std::string_view url,
                                          bool popup,
                                          std::string_view cookie,
                                          std::string_view features,
                                          int frame_id,
                                          int new_frame_id,
                                          std::string_view port);

#endif  // CHANNEL_CLIENT_NOTIFICATIONS_H_
