#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/company_record.h"
#include "engine/result_row.h"

// The lead book's stored forms of a record and of a row's cells. Texts are kept byte for byte
// (GBK), each after its length, so that any byte may stand in them.

// The record's non-empty fields under their names, and validate; a reader skips names it does
// not know, so that a later version's fields never make a record unreadable.
std::string EncodeRecord(const CompanyRecord& record);
std::optional<CompanyRecord> DecodeRecord(std::string_view stored);

std::string EncodeCells(const ResultCells& cells);
std::optional<ResultCells> DecodeCells(std::string_view stored);
