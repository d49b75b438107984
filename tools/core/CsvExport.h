#pragma once

// A recorded session as a table: the values the display took from each PID packet, read the way the
// display reads them, with the description the latest INIT packet gave each key. Values are written
// byte for byte as the Feed sent them.

#include <ostream>
#include <vector>

#include "tools/core/Recording.h"

namespace orlex::recording {

// One row per value: time,key,description,value. The time is seconds since the recording started.
void WriteLongCsv(const std::vector<TExchange>& exchanges, std::ostream& out);
// One row per PID packet: time, then a column per key (in the order keys first appear, INIT packets
// included), empty where the packet has no value for the key.
void WriteWideCsv(const std::vector<TExchange>& exchanges, std::ostream& out);

// A CSV field: quoted when it holds a comma, a double quote, a line break or blanks at either end,
// with double quotes doubled.
std::string CsvField(std::string_view text);

}  // namespace orlex::recording
