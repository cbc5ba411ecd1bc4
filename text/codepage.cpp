#include "text/codepage.h"

// Placeholder until the ICU-backed conversions land.
