#include "sequence/settling.h"

#include <algorithm>

namespace settling {
namespace {

using Entry = LaunchSystem::ProcessEntry;

// A creation time that is not known never tells two processes apart.
bool Matches(std::uint32_t id, std::uint64_t created, const Entry& e) {
  return e.id == id && (!created || !e.created || e.created == created);
}

}  // namespace

ProcessTree::ProcessTree(std::uint32_t id, std::uint64_t created) : members_{{id, created, 0}} {}

bool ProcessTree::ParentIsMember(const std::vector<Entry>& list, const Entry& e) const {
  const auto before = [&](std::uint64_t a, std::uint64_t b) { return !a || !b || a <= b; };
  for (const Member& m : members_) {
    if (e.parentId != m.id || !before(m.created, e.created) || (e.id == m.id && e.created == m.created)) continue;
    // The id went to a newer process before the child came: that one is its parent.
    const bool reused = std::any_of(list.begin(), list.end(), [&](const Entry& o) {
      return o.id == m.id && o.created && m.created && o.created > m.created && before(o.created, e.created);
    });
    if (!reused) return true;
  }
  return false;
}

bool ProcessTree::Update(const std::vector<Entry>& list) {
  bool known = true;
  for (Member& m : members_) {
    auto it = std::find_if(list.begin(), list.end(), [&](const Entry& e) { return Matches(m.id, m.created, e); });
    if (it == list.end()) {
      if (m.live) endedTime_ += m.cpuTime;
      m.live = false;
      continue;
    }
    if (!m.created) m.created = it->created;
    known = known && it->cpuTime.has_value();
    // A time the list lacks stays as last seen, so the sum never goes back.
    m.cpuTime = it->cpuTime.value_or(m.cpuTime);
  }
  // Lists come in no particular order: a grandchild may stand before its parent.
  for (bool joined = true; joined;) {
    joined = false;
    for (const Entry& e : list) {
      const bool member = std::any_of(members_.begin(), members_.end(),
                                      [&](const Member& m) { return m.live && Matches(m.id, m.created, e); });
      if (member || !ParentIsMember(list, e)) continue;
      known = known && e.cpuTime.has_value();
      members_.push_back({e.id, e.created, e.cpuTime.value_or(0)});
      joined = true;
    }
  }
  liveTime_ = 0;
  for (const Member& m : members_)
    if (m.live) liveTime_ += m.cpuTime;
  return known;
}

void ProcessTree::Raise(std::uint32_t id, std::uint64_t created, std::uint64_t cpuTime) {
  for (Member& m : members_) {
    if (m.id != id || (m.created && created && m.created != created) || cpuTime <= m.cpuTime) continue;
    (m.live ? liveTime_ : endedTime_) += cpuTime - m.cpuTime;
    m.cpuTime = cpuTime;
    return;
  }
}

void SettleMeter::Follow(std::uint32_t id, std::uint64_t created, std::optional<std::int64_t> nowMs) {
  tree_.emplace(id, created);
  samples_.clear();
  if (nowMs) samples_.push_back({*nowMs, 0});
  answer_ = nowMs ? Answer::Busy : Answer::Unknown;
  lastUse_.reset();
}

void SettleMeter::Reset(Answer answer) {
  tree_.reset();
  samples_.clear();
  answer_ = answer;
  lastUse_.reset();
}

SettleMeter::Answer SettleMeter::Ask(LaunchSystem& system, double limitPercent) {
  if (!tree_) return answer_;
  const std::optional<std::int64_t> now = system.SteadyMs();
  if (!now) return answer_ = Answer::Unknown;
  if (!samples_.empty() && *now - samples_.back().ms < kSampleMs) return answer_;
  const std::optional<std::vector<Entry>> list = system.Snapshot();
  if (!list || !tree_->Update(*list)) {
    // A time missed breaks the window: it begins again at the next list read.
    samples_.clear();
    return answer_ = Answer::Unknown;
  }
  const std::uint64_t time = tree_->CpuTime();
  const bool fromStart = answer_ != Answer::Unknown;
  samples_.push_back({*now, time});
  // The newest sample at least a window before this one; those before it are no longer needed.
  auto from = samples_.end();
  for (auto it = samples_.begin(); it != samples_.end() && *now - it->ms >= kWindowMs; ++it) from = it;
  if (from == samples_.end()) return answer_ = tree_->Ended() ? Answer::Settled : fromStart ? Answer::Busy : Answer::Unknown;
  samples_.erase(samples_.begin(), from);
  const Sample& first = samples_.front();
  const std::uint64_t used = time > first.cpuTime ? time - first.cpuTime : 0;
  // 100-ns units over milliseconds: percent of one processor.
  lastUse_ = static_cast<double>(used) / 100.0 / static_cast<double>(*now - first.ms);
  return answer_ = tree_->Ended() || *lastUse_ <= limitPercent ? Answer::Settled : Answer::Busy;
}

}  // namespace settling
