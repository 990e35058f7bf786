#include "cmos/cmos_driver.h"

#include <memory>

#include "cmos/nt_cmos_driver.h"
#include "cmos/win9x_cmos_driver.h"
#include "engine/run_state.h"
#include "engine/platform_queries.h"

namespace velsetup {

void SelectCmosDriver() {
  if (IsNT4() || IsWin2000()) {
    Run().cmos = std::make_shared<cmos::NtCmosDriver>();
  } else {
    Run().cmos = std::make_shared<cmos::Win9xCmosDriver>();
  }
}

CmosDriver& Cmos() {
  if (!Run().cmos) SelectCmosDriver();
  return *Run().cmos;
}

}  // namespace velsetup
