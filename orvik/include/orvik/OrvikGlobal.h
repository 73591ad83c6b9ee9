#pragma once

// The library is built with hidden visibility; only what carries this mark is its interface.
#define ORVIK_EXPORT __attribute__((visibility("default")))
