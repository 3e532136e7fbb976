// Whether the program a run started last has finished its start-up work:
// how much processor time it, and every process it started, used over the
// last second, read from the system's process list (which gives every
// process's times, where asking a process for its own may be refused or, on
// some systems, read 0 for another process). Portable: the list comes from
// LaunchSystem::Snapshot.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "sequence/launch_system.h"

namespace settling {

// A started program and the processes it started, and theirs, followed from
// list to list. A process joins when its parent is a member, ended or not,
// created no later than it, unless the parent's id has since gone to a newer
// process that the list shows created before the child (a launcher often
// starts the real program and ends within the first second, before any
// list saw it). A member is known by its id and creation time, so an id
// given to a new process is not mistaken for it.
class ProcessTree {
 public:
  // created: as the list gives it; 0 when unknown (the id alone then names it).
  ProcessTree(std::uint32_t id, std::uint64_t created);

  // Takes in a list. False when a member's processor time is not in it:
  // the tree's time is then unknown until a list has it again.
  bool Update(const std::vector<LaunchSystem::ProcessEntry>& list);
  // Processor time used so far, in 100-ns units; a member that ended counts
  // with the time it had in the last list that held it.
  std::uint64_t CpuTime() const { return endedTime_ + liveTime_; }
  // The process id created at created used at least cpuTime, as it told
  // itself (its last list may be older than its end).
  void Raise(std::uint32_t id, std::uint64_t created, std::uint64_t cpuTime);
  // No member is left.
  bool Ended() const { return liveTime_ == 0 && std::none_of(members_.begin(), members_.end(), [](const Member& m) { return m.live; }); }

 private:
  struct Member {
    std::uint32_t id = 0;
    std::uint64_t created = 0;
    std::uint64_t cpuTime = 0;  // in the last list that held it
    bool live = true;
  };
  bool ParentIsMember(const std::vector<LaunchSystem::ProcessEntry>& list, const LaunchSystem::ProcessEntry& e) const;

  std::vector<Member> members_;
  std::uint64_t endedTime_ = 0, liveTime_ = 0;
};

// The settling question a run asks before its next start, about the program
// it started last. Lists are taken only when asked, at most one every
// kSampleMs: a run asks only while the machine is too busy for the usual
// rule. The second judged slides with the lists, so that a program is seen
// settled a second after its work ends, not up to two.
class SettleMeter {
 public:
  static constexpr std::int64_t kWindowMs = 1000;
  static constexpr std::int64_t kSampleMs = 200;
  enum class Answer {
    Settled,  // at or below the limit over the last second, ended, or nothing to follow
    Busy,     // above it, or started less than a second ago
    Unknown,  // its processor time or the steady clock cannot be read
  };

  // Follows the program just started (nowMs: the steady clock at its start,
  // when its processor time was 0). Forget: nothing to wait for. Unseen:
  // something started that cannot be followed (the shell opened a document
  // and handed back no process), so the answer is Unknown.
  void Follow(std::uint32_t id, std::uint64_t created, std::optional<std::int64_t> nowMs);
  void Forget() { Reset(Answer::Settled); }
  void Unseen() { Reset(Answer::Unknown); }

  // limitPercent: of one processor. Asks system for a list when the last one
  // is at least kSampleMs old, else answers as last time; judges the time
  // from the newest list back to the last one (or the start) at least
  // kWindowMs older.
  Answer Ask(LaunchSystem& system, double limitPercent);
  // Whether a started program is followed (Follow, not since Forget or Unseen).
  bool Following() const { return tree_.has_value(); }
  // Percent of one processor over the last window measured; nullopt before one.
  std::optional<double> LastUse() const { return lastUse_; }

 private:
  void Reset(Answer answer);

  struct Sample {
    std::int64_t ms = 0;       // steady clock
    std::uint64_t cpuTime = 0;  // the tree's then
  };
  std::optional<ProcessTree> tree_;
  std::vector<Sample> samples_;  // oldest first: the start (or a list after an unknown one), then lists
  Answer answer_ = Answer::Settled;
  std::optional<double> lastUse_;
};

}  // namespace settling
