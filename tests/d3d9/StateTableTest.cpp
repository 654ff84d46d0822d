// The state table against the device: each row's default is what a new device reports,
// and no state has two rows.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/StateTable.h"
#include "platform/d3d9/internal.h"

using d3d9::detail::StateGroup;
using d3d9::detail::StateRow;
using d3d9test::DeviceFixture;

TEST(StateTable, EveryDefaultIsWhatANewDeviceReports) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    for (const StateRow& row : d3d9::detail::stateRows()) {
        for (DWORD i = 0; i < (row.group == StateGroup::Stage ? 8u : 1u); ++i) {
            DWORD got = 12345;
            const DWORD want = d3d9::detail::stateDefault(row, i, false);
            switch (row.group) {
                case StateGroup::Render:
                    ASSERT_EQ(D3D_OK, f.device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(row.value), &got));
                    break;
                case StateGroup::Sampler:
                    got = d3d9::internal::samplerState(f.device, 3, row.value);
                    break;
                case StateGroup::Stage:
                    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(i, static_cast<D3DTEXTURESTAGESTATETYPE>(row.value), &got));
                    break;
                case StateGroup::Transform: {
                    D3DMATRIX m{};
                    const auto last = static_cast<D3DTRANSFORMSTATETYPE>(row.value + row.count - 1);
                    ASSERT_EQ(D3D_OK, f.device->GetTransform(last, &m)) << row.d3dName;
                    got = m.m[0][0] == 1.0f && m.m[3][3] == 1.0f && m.m[3][0] == 0.0f ? 0 : 1;
                    break;
                }
            }
            EXPECT_EQ(want, got) << row.d3dName << " stage " << i;
        }
    }
}

TEST(StateTable, EachStateHasOneRowAndEffectNamesAreUnique) {
    std::set<std::pair<int, DWORD>> seen;
    std::set<std::string> fxNames;
    for (const StateRow& row : d3d9::detail::stateRows()) {
        for (DWORD i = 0; i < row.count; ++i) {
            EXPECT_TRUE(seen.insert({static_cast<int>(row.group), row.value + i}).second) << row.d3dName;
        }
        EXPECT_EQ(&row, d3d9::detail::findState(row.group, row.value));
        // sampler and stage states share a few names in effect files (none today)
        if (row.fxName && row.group != StateGroup::Sampler) {
            EXPECT_TRUE(fxNames.insert(row.fxName).second) << row.fxName;
        }
    }
}
