// The simulator's picture command: saves the current client's settings page
// as a PNG file, exactly as its window draws it now.

#include "SimCommands.h"

namespace {
const char* const kView = "view";
const char* const kViews = "views";
const std::string kScaleWord = "scale=";
const std::string kCropWord = "crop=";

// The match view of the current client, or of every client side by side in
// the order they were made.
void SaveViews(SimContext& context, const std::string& file, bool everyClient, int scale) {
  std::vector<sim::MatchScene> scenes;
  if (everyClient) {
    for (sim::Client* client : context.sim.Clients()) scenes.push_back(client->Scene());
  } else {
    scenes.push_back(context.Current().Scene());
  }
  const std::string error = context.sim.SaveMatchViewPicture(scenes, file, scale);
  if (!error.empty()) throw SimError(error);
  context.out << "saved " << (everyClient ? "every client's" : context.Current().Name() + "'s")
              << " match view as " << file << "\n";
}

// sim screenshot FILE [PLUGIN] [scale=N] [crop=yes|no]; a plug-in's display
// name may hold spaces, so the settings are taken from the end.
void Screenshot(SimContext& context, const std::vector<std::string>& args) {
  if (args.size() < 2) throw SimError("usage: sim " + SimCommands().at("screenshot").usage);
  std::vector<std::string> words(args.begin() + 2, args.end());
  int scale = 1;
  bool crop = false;
  while (!words.empty()) {
    const std::string& word = words.back();
    if (word.rfind(kScaleWord, 0) == 0) {
      scale = IntArgument(word.substr(kScaleWord.size()), "scale");
    } else if (word == kCropWord + "yes" || word == kCropWord + "no") {
      crop = word == kCropWord + "yes";
    } else if (word.rfind(kCropWord, 0) == 0) {
      throw SimError("crop= takes yes or no, not \"" + word.substr(kCropWord.size()) + "\"");
    } else {
      break;
    }
    words.pop_back();
  }
  std::string plugin;
  for (const std::string& word : words) plugin += (plugin.empty() ? "" : " ") + word;
  if (plugin.empty()) plugin = kGlimmerfadePage;

  if (plugin == kView || plugin == kViews) return SaveViews(context, args[1], plugin == kViews, scale);
  sim::Client& client = context.Current();
  const std::string error = client.SaveSettingsPicture(args[1], plugin, scale, crop);
  if (!error.empty()) throw SimError(error);
  context.out << "saved " << client.Name() << "'s " << plugin << " page as " << args[1] << "\n";
}

const SimCommandRegistrar kPictureCommands[] = {
    SimCommandRegistrar({"screenshot", "screenshot FILE [PLUGIN|view|views] [scale=N] [crop=yes|no]",
                         "saves the current client's settings page (default Glimmerfade) as a PNG picture, "
                         "as its window draws it now; scale=2 makes it twice as large, crop=yes keeps only "
                         "the part of the window that holds something. view: the current client's match "
                         "view instead, the arena as that client shows it; views: every client's, side by "
                         "side",
                         Screenshot}),
};

}  // namespace
