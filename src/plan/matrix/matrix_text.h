#ifndef QUILL_PLAN_MATRIX_MATRIX_TEXT_H_
#define QUILL_PLAN_MATRIX_MATRIX_TEXT_H_

// A matrix as text: for each machine a grid of languages by systems whose
// cells name a variant, then each variant's launches, lines that differ
// from variant A marked with "*". And as JSON.
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "plan/matrix/matrix.h"

namespace quill::plan {

// "WINXP", "VISTA32", "VISTA64", "other".
std::string SystemLabel(const WindowsKind& system);
// "07 (0x407)", "(none)".
std::string LanguageLabel(const MatrixLanguage& language);

// Some of the machine's variants, each with its launches, named A, B, ...
// in the order given; lines that differ from the first marked with "*".
void WriteVariantsText(const MachineMatrix& machine, const std::vector<int>& variants,
                       std::ostream& out);

void WriteMatrixText(const Matrix& matrix, std::ostream& out);
void WriteMatrixJson(const Matrix& matrix, std::ostream& out);
nlohmann::ordered_json MatrixJson(const Matrix& matrix);

// The matrix made and written machine by machine, in text or JSON as the
// forms above write it; the matrix given back keeps no machines.
Matrix WriteMatrixAsMade(const std::string& language_table, PlanPlatform& platform, bool json,
                         std::ostream& out, Workers* workers);

}  // namespace quill::plan

#endif  // QUILL_PLAN_MATRIX_MATRIX_TEXT_H_
