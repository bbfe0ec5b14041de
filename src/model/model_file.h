// The model file: a line-oriented text file (".vlr") holding the options, the alternatives with
// their results, the value tree with weights, bounds, values and statements, and the consequence
// table. Lines end with CR LF; the reader also accepts LF and a missing final line end.
#pragma once

#include "model/model.h"

#include <string>
#include <string_view>

namespace velor {

// Writes the model; on any failure returns false, sets *error (if given) to a short reason, and
// leaves a previous file at path untouched. A model holding a number that is not finite (which
// no model file can hold) is not written.
bool SaveModelFile(const Model& model, const std::string& path, std::string* error = nullptr);

// Reads into model (which is cleared first); on failure the model is cleared again, *reason (if
// given) says why in one line, and false is returned. The reason is the system's error for a
// file that cannot be read ("No such file or directory"), or the line and what was expected
// there for invalid contents ("line 31: a number of values was expected"). Only a regular file
// is read; a pipe, a socket or a device is refused without opening it.
bool LoadModelFile(Model& model, const std::string& path, std::string* reason = nullptr);

// Reads the whole of a regular file of at most maxSize bytes into text. Only a regular file is
// opened at all (a pipe would block the program, a device could be changed by an open), and what
// was opened is checked again. On failure returns false with the system's error or "not a
// regular file" or "larger than N MB" in reason.
bool ReadRegularFile(const std::string& path, std::string& text, std::string& reason,
                     std::size_t maxSize);

// "File " + path + " is not a valid Velor Model.\nCannot open the file."
std::string InvalidModelMessage(const std::string& path);

// In-memory forms used by the above, by tests and by the fuzzer:
// CR LF line ends; a number that is not finite is written as 0.
std::string WriteModelText(const Model& model);
// Same rules and reasons as LoadModelFile.
bool ReadModelText(Model& model, std::string_view text, std::string* reason = nullptr);

} // namespace velor
