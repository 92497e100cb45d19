#pragma once
// The maker's addresses that the Help menu and the About box open.

namespace brevant {

inline constexpr const char *kHomePageAddress = "https://www.velkora.com/brevant/";
inline constexpr const char *kSupportPageAddress = "https://www.velkora.com/brevant/support/";
inline constexpr const char *kSupportEmail = "support@velkora.com";

} // namespace brevant
