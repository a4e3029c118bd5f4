#pragma once

// The history that an earlier version set aside: that version moved a record file past readFile's bound
// aside ("<record file name>.unreadable-<time>") and began a new, empty one, and any version sets aside a
// file it cannot read at the time. Each such copy that now reads to its end is put into the archive's
// days, merged by id, flushed, and then removed, so it is converted once. A copy that does not read to
// its end was set aside for damage: it stays as it is, and is noted in the archive's folder so that later
// starts do not read it again. Run on the record file's writer thread; used by ActivityRecordFile only.

#include "app/ActivityRecordArchive.h"

#include <filesystem>
#include <functional>

namespace glimmo {

// Converts the copies set aside beside `recordFile`, each record made what a load makes it by `prepare`. Asks `stop` at each record and between day
// files; a stopped recovery is taken up again at the next start (the days merge by id).
void recoverSetAsideRecordFiles(const std::filesystem::path& recordFile, ActivityRecordArchive& archive,
                                const std::function<void(ActivityRecordValue&)>& prepare,
                                const ActivityRecordArchive::StopRequest& stop);

} // namespace glimmo
