// The model file: a line-oriented text file (".vlr") holding the options, the alternatives with
// their results, the value tree with weights, bounds, values and statements, and the consequence
// table. Lines end with CR LF; the reader also accepts LF and a missing final line end.
#pragma once

#include "model/model.h"

#include <string>
#include <string_view>

namespace velor {

// Writes the model; on any failure returns false, sets *error (if given) to a short reason, and
// leaves a previous file at path untouched.
bool SaveModelFile(const Model& model, const std::string& path, std::string* error = nullptr);

// Reads into model (which is cleared first); on failure the model is cleared again and false
// returned.
bool LoadModelFile(Model& model, const std::string& path);

// "File " + path + " is not a valid Velor Model.\nCannot open the file."
std::string InvalidModelMessage(const std::string& path);

// In-memory forms used by the above, by tests and by the fuzzer:
std::string WriteModelText(const Model& model);          // CR LF line ends
bool ReadModelText(Model& model, std::string_view text); // same rules as LoadModelFile

} // namespace velor
