#include "host_functions/device_id_document.h"

#include <cstdio>

#include "utils/json_owner.h"

namespace {

std::string Checksum(std::string_view text, Crc32Function crc32) {
  char hex[9];
  std::snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(crc32(text)));
  return hex;
}

}  // namespace

std::string DeviceIdentifierDocument(const DeviceSources& sources, Crc32Function crc32) {
  const unique_json document(cJSON_CreateObject());
  if (!sources.board_uuid.empty())
    cJSON_AddStringToObject(document.get(), "b", Checksum(sources.board_uuid, crc32).c_str());
  if (!sources.volume_serial.empty())
    cJSON_AddStringToObject(document.get(), "d", Checksum(sources.volume_serial, crc32).c_str());
  std::string macs;
  for (const std::string& mac : sources.mac_addresses)
    macs += (macs.empty() ? "" : "-") + Checksum(mac, crc32);
  if (!macs.empty())
    cJSON_AddStringToObject(document.get(), "m", macs.c_str());
  return PrintJson(document.get());
}
