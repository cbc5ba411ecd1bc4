// What the harvest keeps between runs: the latest user key and every share id found so far.
#pragma once

#include "text/text.h"

namespace velmora::harvest {

struct HarvestState {
  text::Text user_key;                    // the text after "uk=" of the latest run's address
  text::TextList share_ids{"share ids"};  // every id of every run, in the order found
  // Member number of the first id that the latest listing appended under user_key; the ids from
  // there to the end are the ones the analysis reads.
  std::int32_t first_id_of_latest_run = 1;
};

// The program's one instance.
HarvestState& harvest_state();

// Makes the share id list empty (the user key is left alone), and releases both.
void init_harvest_state(HarvestState& state);
void release_harvest_state(HarvestState& state);
void init_harvest_state();     // on harvest_state()
void release_harvest_state();  // on harvest_state()

}  // namespace velmora::harvest
