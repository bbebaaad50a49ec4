#ifndef HOST_FUNCTIONS_DEVICE_ID_DOCUMENT_H_
#define HOST_FUNCTIONS_DEVICE_ID_DOCUMENT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the machine reports about itself, as ANSI texts; empty when unknown.
struct DeviceSources {
  std::string board_uuid;
  std::string volume_serial;
  std::vector<std::string> mac_addresses;
};

using Crc32Function = uint32_t (*)(std::string_view text);

// {"b": crc(board), "d": crc(volume), "m": crc(mac1)-crc(mac2)...}, each
// checksum as eight uppercase hex digits, so the extension can recognise the
// machine without learning the values. A member is left out when its source
// is unknown.
std::string DeviceIdentifierDocument(const DeviceSources& sources, Crc32Function crc32);

#endif  // HOST_FUNCTIONS_DEVICE_ID_DOCUMENT_H_
