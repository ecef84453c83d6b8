// --json: a command's result as one JSON document on standard output (or
// in the -o file), written with nlohmann's JSON library.
#ifndef TKVTOOL_JSON_OUTPUT_H
#define TKVTOOL_JSON_OUTPUT_H

#include <nlohmann/json.hpp>

// Objects keep their keys in the order the command puts them.
using Json = nlohmann::ordered_json;

void printJson(const Json &document);

#endif
