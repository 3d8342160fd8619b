// The block objects as JSON objects keyed by their interfaces' property names: text
// as strings, numbers as numbers, dates as "YYYY-MM-DD", an absent optional element
// as null. The presence flags ("…Specified") are shown by the nulls.
#pragma once

#include <nlohmann/json.hpp>

#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"

namespace Cli {

using Json = nlohmann::ordered_json;

Json ToJson(const ZK::DocumentBlockObject& block);
Json ToJson(const ZK::FixedPersoBlockObject& block);
Json ToJson(const ZK::VariableAdminBlockObject& block);
Json ToJson(const ZK::VariablePersoBlockObject& block);

// "YYYY-MM-DD" of an OLE DATE's calendar day; null when the date has none.
Json DateJson(TAVQ::OleDate date);

}  // namespace Cli
