#ifndef HOST_FUNCTIONS_DEVICE_ID_H_
#define HOST_FUNCTIONS_DEVICE_ID_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "host_functions/device_id_document.h"

// CRC-32 as zlib and PNG compute it, from the system's own implementation.
uint32_t Crc32(std::string_view text);

// The board's UUID and the network adapters' MAC addresses as WMI reports
// them, and the serial number of the system folder's volume. Blocks while
// WMI answers.
DeviceSources ReadDeviceSources();

// The document answered to "host_deviceid" (device_id_document.h).
std::string ComputeDeviceIdentifier();

#endif  // HOST_FUNCTIONS_DEVICE_ID_H_
