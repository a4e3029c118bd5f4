#pragma once

#include "app/ActivityRecord.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace glimmo {

// An older version kept every record in the record file, which grew past what readFile reads whole;
// such a file is read a record at a time. One record may take at most this much of the file: no
// record of a file that could be read whole was larger, and a larger one is damage.
inline constexpr std::size_t longestStreamedRecordBytes = std::size_t{256} << 20;

using ActivityRecordSink = std::function<void(ActivityRecordValue&&)>;
// As a sink, and answers whether the read goes on.
using ActivityRecordTake = std::function<bool(ActivityRecordValue&&)>;

// Hands each record of the record file at `path` to `sink`, in file order, reading the file a piece at
// a time: what is held is one record, never the file. Decodes exactly what decodeActivityRecords
// decodes, and fails where it fails; a failure may come after some records were handed over. False
// when there is no file. Throws FileError, and JSONDecodingError also for a record past `longestRecord`
// bytes.
bool streamActivityRecords(const std::filesystem::path& path, const ActivityRecordSink& sink,
                           std::size_t longestRecord = longestStreamedRecordBytes);
// The same, ending the read once `take` answers false: a caller that needs the head of the file (it is
// newest first) reads no further, and what follows is not checked.
bool streamActivityRecordsWhile(const std::filesystem::path& path, const ActivityRecordTake& take,
                                std::size_t longestRecord = longestStreamedRecordBytes);
// Reads at most `count` bytes of a record file's text into `into`, the next piece each time; 0 at its end.
using ActivityRecordTextRead = std::function<std::size_t(char* into, std::size_t count)>;
// The same over a text that `read` gives a piece at a time.
void streamActivityRecordsFrom(const ActivityRecordTextRead& read, const ActivityRecordTake& take,
                               std::size_t longestRecord = longestStreamedRecordBytes);

} // namespace glimmo
