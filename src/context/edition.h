// The edition settings, fixed when the program is built.
#pragma once

namespace pagerprog::edition {

inline constexpr bool factoryEdition = PAGERPROG_FACTORY_EDITION != 0;
inline constexpr bool hebrewEdition = PAGERPROG_HEBREW_EDITION != 0;
inline constexpr int defaultCustomer = PAGERPROG_DEFAULT_CUSTOMER;

}  // namespace pagerprog::edition
