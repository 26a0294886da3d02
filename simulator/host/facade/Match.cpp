// A match as its users see it: the world's match (host/world/WorldMatch.h).

#include <utility>

#include "host/facade/Faces.h"

namespace sim {

Match::Match(std::unique_ptr<Impl> impl) : pimpl(std::move(impl)) {}
Match::~Match() = default;

const std::string& Match::Name() const { return pimpl->match.Name(); }
int Match::PlaylistId() const { return pimpl->match.PlaylistId(); }
void Match::SetPlaylistId(int id) { pimpl->match.SetPlaylistId(id); }
Player& Match::AddPlayer(const PlayerSetup& setup) { return pimpl->match.AddPlayer(setup); }
void Match::RemovePlayer(const std::string& name) { pimpl->match.RemovePlayer(name); }
Player* Match::FindPlayer(const std::string& name) { return pimpl->match.FindPlayer(name); }
void Match::UpdatePlayer(const std::string& name, const PlayerSetup& setup) {
  pimpl->match.UpdatePlayer(name, setup);
}
void Match::RemovePlayer(int id) { pimpl->match.RemovePlayer(id); }
Player* Match::FindPlayer(int id) { return pimpl->match.FindPlayer(id); }
void Match::UpdatePlayer(int id, const PlayerSetup& setup) { pimpl->match.UpdatePlayer(id, setup); }
std::vector<Player*> Match::Players() { return pimpl->match.Players(); }
void Match::SetHasCarArray(bool hasCars) { pimpl->match.SetHasCarArray(hasCars); }

}  // namespace sim
