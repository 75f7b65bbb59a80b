// Where the stand-ins and the driver leave word for each other.
#pragma once

constexpr const char stand_in_key[] = "Software\\Orvane Tests";
