// The high-resolution counter behind the frame timer: the backend's (SDL's
// performance counter, Windows', the page's clock), unless a test or the
// capture tool has put a source of its own in its place (host.h).
#pragma once

#include <cstdint>

bool platform_query_frequency(std::int64_t* frequency); // false: no counter
std::int64_t platform_query_counter();
