#include "harvest/harvest_state.h"

namespace velmora::harvest {

HarvestState& harvest_state() {
  static HarvestState state;
  return state;
}

void init_harvest_state(HarvestState& state) {
  state.share_ids = text::TextList("share ids");
  state.first_id_of_latest_run = 1;
}

void release_harvest_state(HarvestState& state) {
  state.user_key = text::Text();
  state.share_ids = text::TextList("share ids");
  state.first_id_of_latest_run = 1;
}

void init_harvest_state() {
  init_harvest_state(harvest_state());
}
void release_harvest_state() {
  release_harvest_state(harvest_state());
}

}  // namespace velmora::harvest
