// The per-user data folder of the tools and the folders below it: paths
// joined with the platform's separator, created with their parents when
// missing.
#ifndef TALIQ_ORDERS_DATA_FOLDER_H_
#define TALIQ_ORDERS_DATA_FOLDER_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// `folder` + separator + `name` (no second separator when `folder` ends
// with one).
std::string JoinPath(std::string_view folder, std::string_view name);

// Creates `folder` and every missing parent. Ok when it exists afterwards;
// kRefused for an empty path, kIoError naming the first folder that could
// not be created and why (also when a file stands in its place).
Status EnsureFolder(Platform* platform, const std::string& folder);

// The platform's user data folder, created when missing. kNotFound when the
// platform cannot name it.
Status EnsureUserDataFolder(Platform* platform, std::string* folder);

}  // namespace taliq

#endif  // TALIQ_ORDERS_DATA_FOLDER_H_
