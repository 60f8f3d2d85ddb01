#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Mks80Engine;

// What one line typed to the simulator asks of the instrument's panel.
struct PanelAction {
    std::vector<std::vector<uint8_t>> messages;  // what the instrument sends, in order
    std::string error;                           // said when the line was refused
};

// Carries out one line on io_engine:
//   select NUMBER                      patch NUMBER (11 to 88) becomes the current sound,
//                                      announced as a PGR and the four APRs
//   edit tone|upper|lower PARAM VALUE  one parameter of the current sound (the upper tone,
//                                      or a patch half) to message value VALUE, as an IPR
//   send HEX...                        these bytes as one system-exclusive message
// A blank line does nothing; a line that is refused changes nothing and sends nothing.
PanelAction RunPanelLine(const std::string& in_line, Mks80Engine& io_engine);

// "F0 41 35 ...": the bytes in hexadecimal, separated by spaces.
std::string HexBytes(const std::vector<uint8_t>& in_bytes);
