#pragma once

// The library is built with hidden visibility; only what carries this mark is its interface.
#define WISPEL_EXPORT __attribute__((visibility("default")))
