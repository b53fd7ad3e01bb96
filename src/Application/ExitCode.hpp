#pragma once

/// The process exit codes that installers and scripts read.
namespace ExitCode {
inline constexpr int Normal = 0;
inline constexpr int InitializationFailed = 10;
inline constexpr int AlreadyRunning = 11;
inline constexpr int InvalidOptions = 13;
inline constexpr int EntryLimitReached = 20;
inline constexpr int InstanceNotStoppedOrDuplicate = 21;
inline constexpr int InvalidEntry = 22;
inline constexpr int DataNotSaved = 30;
inline constexpr int LoopFailed = 100;
}  // namespace ExitCode
