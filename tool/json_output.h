// --json: a command's result as one JSON document on standard output (or
// in the -o file), written with nlohmann's JSON library.
#ifndef TKVTOOL_JSON_OUTPUT_H
#define TKVTOOL_JSON_OUTPUT_H

#include "documents.h"

// Objects keep their keys in the order the command puts them.
using Json = client::Document;

void printJson(const Json &document);

#endif
