#include "support/FaultRun.h"

#include <iostream>

/* Every fault at every step of three roads: a full read of a Calder, a full read of a Norrim, and
   the programming of a whole image into a Calder's host core. Each case injects one fault at one
   request, checks what the user is shown and what the model or the flash holds, then replugs the
   product and brings it back: read in full, or restored to the image and running its application.

   The test command runs the first and last ten requests of each road and every 50th between. With
   PELLION_FAULT_MATRIX=full in the environment every request is run, and PELLION_FAULT_PART=k/n runs
   only the k-th of every n of them, from 0 (scripts/faults). */

namespace
{
    enum class Road { calderRead, norrimRead, calderFlash };

    struct MatrixCase
    {
        Road road;
        FaultRunFixture::Fault fault;
        std::string name;
    };

    void PrintTo (const MatrixCase& c, std::ostream* os)  { *os << c.name; }

    std::vector<MatrixCase> everyRoadAndFault()
    {
        const std::pair<Road, const char*> roads[] = { { Road::calderRead, "calderRead" },
                                                       { Road::norrimRead, "norrimRead" },
                                                       { Road::calderFlash, "calderFlash" } };
        std::vector<MatrixCase> cases;

        for (auto& [road, roadName] : roads)
            for (auto& [fault, faultName] : FaultRunFixture::allFaults())
                cases.push_back ({ road, fault, std::string (roadName) + "_" + faultName });

        return cases;
    }

    bool everyIndexWanted()
    {
        return juce::SystemStats::getEnvironmentVariable ("PELLION_FAULT_MATRIX", {}) == "full";
    }

    /** The part of the indexes this process runs: every n-th from the k-th ("k/n"), or all. */
    std::vector<int> partOf (const std::vector<int>& indexes, juce::String& partName)
    {
        const auto part = juce::SystemStats::getEnvironmentVariable ("PELLION_FAULT_PART", {});
        const int k = part.upToFirstOccurrenceOf ("/", false, false).getIntValue();
        const int n = part.fromFirstOccurrenceOf ("/", false, false).getIntValue();

        if (n <= 1 || ! juce::isPositiveAndBelow (k, n))
            return indexes;

        partName = " (part " + juce::String (k + 1) + " of " + juce::String (n) + ")";
        std::vector<int> result;

        for (size_t i = (size_t) k; i < indexes.size(); i += (size_t) n)
            result.push_back (indexes[i]);

        return result;
    }
}

class FaultMatrix : public FaultRunFixture,
                    public ::testing::WithParamInterface<MatrixCase> {};

TEST_P (FaultMatrix, EveryFaultEndsInAStateTheUserRecoversFrom)
{
    const auto& c = GetParam();
    const int roadLength = c.road == Road::calderFlash ? startFlashRoad()
                                                       : startReadRoad (c.road == Road::norrimRead ? productNorrim : productCalder);
    ASSERT_GT (roadLength, 0);

    juce::String partName;
    const auto indexes = partOf (indexesToRun (roadLength, everyIndexWanted()), partName);
    const auto started = juce::Time::getMillisecondCounter();
    int run = 0;

    for (auto index : indexes)
    {
        const auto problems = c.road == Road::calderFlash ? runFlashCase (c.fault, index)
                                                          : runReadCase (c.fault, index);
        ++run;

        // After a case gone wrong the product and the tool may be anywhere: the run stops there.
        if (! problems.isEmpty())
        {
            ADD_FAILURE() << c.name << ", request " << index << " of " << roadLength << ":\n"
                          << problems.joinIntoString ("\n");
            break;
        }
    }

    std::cout << "fault matrix " << c.name << partName << ": " << run << " of " << indexes.size() << " cases run on a road of "
              << roadLength << " requests, " << (::testing::Test::HasFailure() ? "FAILED" : "all ended well") << ", "
              << (juce::Time::getMillisecondCounter() - started) / 1000.0 << " s" << std::endl;
}

INSTANTIATE_TEST_SUITE_P (Faults, FaultMatrix, ::testing::ValuesIn (everyRoadAndFault()),
                          [] (const auto& info) { return info.param.name; });
