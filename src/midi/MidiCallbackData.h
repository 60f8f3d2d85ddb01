#pragma once

#include <cstdint>

// What the input handling reads for every message: the delay in milliseconds and
// the mode (1 receiving, 0 sending). Written when the input port is opened.
struct CMidiCallbackData {
    int32_t m_Delay = 0;
    int32_t m_Mode = 0;
};
