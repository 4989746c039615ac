#include "support/DeviceTestSupport.h"
#include "support/ComponentSearch.h"
#include "editors/Lfo.h"
#include "editors/LfoObject.h"
#include "editors/LfoDrawComponent.h"

using namespace ComponentSearch;

/** The LFO tab on its own: the main component builds it and removes it again at once. */
class LfoTab : public WiredDeviceFixture
{
protected:
    void TearDown() override
    {
        lfo = nullptr;
        WiredDeviceFixture::TearDown();
    }

    void build()  { lfo = std::make_unique<Lfo> (nullptr); }

    juce::TabbedComponent& pages()  { return *childrenOfType<juce::TabbedComponent> (*lfo)[0]; }

    std::unique_ptr<Lfo> lfo;
};

TEST_F (LfoTab, BuildsFourDisabledPagesWithPageOneChosen)
{
    build();

    EXPECT_EQ (lfo->getName(), "Lfo");
    EXPECT_EQ (lfo->getBounds(), juce::Rectangle<int> (800, 448));
    EXPECT_EQ (pages().getTabNames(), juce::StringArray ({ "1", "2", "3", "4" }));
    EXPECT_EQ (pages().getCurrentTabIndex(), 0);
    EXPECT_FALSE (pages().isEnabled());

    for (auto* name : { "buttonResetAll", "buttonResetCurrent" })
        EXPECT_FALSE (childNamed<juce::TextButton> (*lfo, name).isEnabled()) << name;

    for (int i = 0; i < Lfo::numPages; ++i)
    {
        auto* page = lfo->getPage (i);
        ASSERT_NE (page, nullptr);
        EXPECT_EQ (page->lfoIndex, i);
        EXPECT_EQ (page->getName(), "LfoObject");
        EXPECT_EQ (page->getNumChildComponents(), LfoObject::numChildren);
    }

    EXPECT_FALSE (lfo->getPage (0)->isEnabled()) << "the page shown lies in the disabled tabs";

    // At 800 x 448: the buttons 160 x 24 at (192, 16) and (448, 16), the pages from y 72, 376 high.
    EXPECT_EQ (childNamed<juce::TextButton> (*lfo, "buttonResetAll").getBounds(), juce::Rectangle<int> (192, 16, 160, 24));
    EXPECT_EQ (childNamed<juce::TextButton> (*lfo, "buttonResetCurrent").getBounds(), juce::Rectangle<int> (448, 16, 160, 24));
    EXPECT_EQ (pages().getBounds(), juce::Rectangle<int> (0, 72, 800, 376));
    EXPECT_EQ (pages().getTabBarDepth(), 30);
    EXPECT_EQ (childNamed<juce::Label> (*lfo, "new label").getY(), 41);
}

TEST_F (LfoTab, FirmwareWarningShowsOnlyBetween01And415)
{
    struct Case { float firmware; bool shown; };

    for (auto c : { Case { 0.0f, false }, Case { 4.205f, false }, Case { 3.905f, true }, Case { 4.105f, true } })
    {
        device().hostFirmwareVersion = c.firmware;
        build();
        EXPECT_EQ (childNamed<juce::Label> (*lfo, "new label").isVisible(), c.shown) << c.firmware;
    }
}

TEST_F (LfoTab, PageHoldsItsListsSlidersAndValueLabels)
{
    build();
    auto& page = *lfo->getPage (0);
    auto lists = childrenOfType<juce::ComboBox> (page);
    ASSERT_EQ (lists.size(), 8);

    juce::StringArray itemCounts, emptyTexts;
    for (auto* list : lists)
    {
        itemCounts.add (juce::String (list->getNumItems()));
        emptyTexts.add (list->getTextWhenNothingSelected());
        EXPECT_EQ (list->getSelectedId(), 0);
    }

    // Trigger message, trigger channel, sync mode, waveform, generated message, generated channel,
    // number, trigger input.
    EXPECT_EQ (itemCounts.joinIntoString (" "), "0 0 0 4 0 16 0 0");
    EXPECT_EQ (emptyTexts.joinIntoString ("|"), "Select...||Select...|Select...|Select...|||Select...");
    EXPECT_EQ (lists[3]->getItemText (3), "Random");
    EXPECT_EQ (lists[5]->getItemText (15), "16");

    auto sliders = childrenOfType<juce::Slider> (page);
    ASSERT_EQ (sliders.size(), 3);
    for (auto* slider : sliders)
        EXPECT_EQ (slider->getValue(), 0.0);
    EXPECT_EQ (sliders[2]->getMaximum(), 255.0) << "frequency";

    juce::StringArray values;
    for (int index : { 21, 23, 24 })
        values.add (dynamic_cast<juce::Label*> (page.getChild (index))->getText());
    EXPECT_EQ (values.joinIntoString (" "), "63 63 -");

    // Moving a slider changes no label.
    sliders[0]->setValue (100.0, juce::sendNotificationSync);
    EXPECT_EQ (dynamic_cast<juce::Label*> (page.getChild (21))->getText(), "63");

    EXPECT_EQ (findAllOfType<LfoDrawComponent> (page).size(), 1);
}

TEST_F (LfoTab, PageLayoutAtItsBuiltSize)
{
    build();
    auto& page = *lfo->getPage (0);
    page.setSize (800, 316);

    const juce::Rectangle<int> expected[LfoObject::numChildren] = {
        { 376, 208, 411, 95 }, { 14, 56, 168, 248 }, { 552, 56, 232, 144 }, { 26, 203, 95, 21 },
        { 26, 141, 122, 20 }, { 30, 163, 140, 24 }, { 30, 226, 64, 24 }, { 296, 12, 140, 24 },
        { 193, 56, 168, 248 }, { 204, 141, 80, 20 }, { 203, 191, 70, 20 }, { 203, 244, 78, 20 },
        { 204, 79, 126, 20 }, { 208, 102, 140, 24 }, { 564, 84, 208, 104 }, { 28, 264, 136, 24 },
        { 384, 231, 70, 24 }, { 384, 251, 70, 24 }, { 384, 270, 78, 24 }, { 22, 13, 150, 24 },
        { 201, 214, 150, 24 }, { 294, 192, 54, 20 }, { 201, 267, 150, 24 }, { 294, 245, 54, 20 },
        { 273, 141, 75, 22 }, { 201, 162, 152, 24 }, { 373, 57, 168, 143 }, { 383, 137, 71, 22 },
        { 383, 79, 122, 21 }, { 387, 102, 140, 25 }, { 387, 160, 51, 25 }, { 458, 137, 71, 23 },
        { 462, 160, 64, 26 }, { 32, 79, 122, 21 }, { 32, 102, 140, 25 }, { 200, 13, 88, 22 }
    };

    for (int i = 0; i < LfoObject::numChildren; ++i)
        EXPECT_EQ (page.getChild (i)->getBounds(), expected[i]) << "child " << i + 1;
}

TEST_F (LfoTab, ResetSendsNothingAndLeavesNoMark)
{
    connectProduct (productGavrel, 4.205f);

    for (bool selectedOnly : { false, true })
    {
        build();
        pages().setCurrentTabIndex (2);
        lfo->resetLfos (selectedOnly);
        pump (50);

        EXPECT_FALSE (device().pendingRequests.hasAny (kindLfo)) << selectedOnly;
        EXPECT_TRUE (sent->isEmpty()) << selectedOnly;
        EXPECT_EQ (device().waitingForReply, 0) << selectedOnly;
        EXPECT_FALSE (ui.statusTexts.contains ("Writing LFO settings...")) << "nothing is written";
    }
}
