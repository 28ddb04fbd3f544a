#pragma once

class QLockFile;
class QString;

// Takes the lock file at path (the one lock was made for) the way QLockFile::tryLock does, waiting up to timeoutMs
// for its holder, and also takes over a lock file that holds nothing
// readable once it is older than a second: the process that created it was
// killed before it could write its id into it, and QLockFile without a stale
// time (which a live holder of a long command needs) would wait for it for
// ever. True when the lock is held.
bool lockTakingOverTheDead(QLockFile &lock, const QString &path, int timeoutMs);
