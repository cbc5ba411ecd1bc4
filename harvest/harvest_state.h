// What the harvest keeps between runs: the latest user key and every share id found so far.
#pragma once

#include "text/text.h"

namespace velmora::harvest {

struct HarvestState {
  text::Text user_key;                     // the text after "uk=" of the latest run's address
  text::TextList share_ids{"share ids"};  // every id of every run, in the order found
};

// The program's one instance.
HarvestState& harvest_state();

// Makes the share id list empty (the user key is left alone), and releases both.
void init_harvest_state(HarvestState& state);
void release_harvest_state(HarvestState& state);
void init_harvest_state();     // on harvest_state()
void release_harvest_state();  // on harvest_state()

}  // namespace velmora::harvest
