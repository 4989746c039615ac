#pragma once

#include "SimTestSupport.h"
#include "editors/VelocityCurvesClass.h"

/** Helpers for tests of the velocity curve editor against a simulated product. */
namespace CurveEditorTest
{
    /** The value j of curve c in the product's store: every curve differs from the factory
        curves and from the others. */
    inline juce::uint8 storedValue (int curve, int j)
    {
        return (juce::uint8) ((j * (curve + 2) + 17 * curve + 5) % 128);
    }

    inline CurveValues storedCurve (int curve)
    {
        CurveValues values;

        for (int j = 0; j < numCurveValues; ++j)
            values[(size_t) j] = storedValue (curve, j);

        return values;
    }

    inline CurveValues flatCurve (int value)
    {
        CurveValues values;
        values.fill ((juce::uint8) value);
        return values;
    }

    inline CurveValues factoryCurve (int curve)     { return unpackCurve (defaultUserCurves[curve]); }

    /** The drawing's rows of a curve (row 127 - value). */
    inline CurveDrawModel::Points rowsOf (const CurveValues& values)
    {
        CurveDrawModel::Points rows;

        for (size_t j = 0; j < rows.size(); ++j)
            rows[j] = (juce::uint8) ((127 - values[j]) & 0xFF);

        return rows;
    }

    /** The pixel of a column and row in a drawing area of this size. */
    inline juce::Point<float> pixelOf (juce::Rectangle<int> area, int column, int row)
    {
        return { 24.0f + (float) column * (float) (area.getWidth() - 48) / 128.0f,
                 16.0f + (float) row * (float) (area.getHeight() - 32) / 128.0f };
    }

    /** Mouse events on a drawing area as the framework delivers them, in the area's pixels. */
    class DrawingMouse
    {
    public:
        explicit DrawingMouse (CurveDrawComponent& drawing) : area (drawing) {}

        void press (int column, int row)
        {
            downPosition = pixelOf (area.getLocalBounds(), column, row);
            area.mouseDown (event (downPosition, {}, 1));
        }

        void drag (int column, int row, juce::ModifierKeys modifiers = {})
        {
            area.mouseDrag (event (pixelOf (area.getLocalBounds(), column, row), modifiers, 1));
        }

        void release()
        {
            area.mouseUp (event (downPosition, {}, 1));
        }

        void doubleClick()
        {
            area.mouseDoubleClick (event (downPosition, {}, 2));
        }

    private:
        juce::MouseEvent event (juce::Point<float> position, juce::ModifierKeys modifiers, int clicks) const
        {
            const auto now = juce::Time::getCurrentTime();
            return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                                     juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                     &area, &area, now, downPosition, now, clicks, false);
        }

        CurveDrawComponent& area;
        juce::Point<float> downPosition;
    };
}

using namespace CurveEditorTest;

/** The application over a simulated Jorvek whose four curves differ from the factory curves;
    the curve editor is set up as the mapper tab leaves it for the identified product. */
class CurveEditorFixture : public SimulatedAppFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connectJorvek (SimulatedProduct::FirmwareVersion hostFirmware)
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = hostFirmware;

        auto product = addProduct (config);
        auto store = product->getProduct().getSettings();

        for (int curve = 0; curve < numUserCurves; ++curve)
            packCurve (storedCurve (curve), store.userCurves[curve]);

        product->getProduct().setSettings (store);
        EXPECT_TRUE (pumpUntilReadEnds (10000));

        // What the mapper tab does for an identified, idle product.
        editor().refreshChoices();
        editor().updateEnablement (true);
        return product;
    }

    VelocityCurvesClass& editor()   { return *main->getMapper()->getCurveEditor(); }

    void selectCurve (int number)   { editor().curveSelector.setSelectedId (number, juce::sendNotificationSync); }

    /** Reads curves from the product, as the mapper tab does at the editor's first opening. */
    bool readCurves (std::initializer_list<int> curves)
    {
        for (auto curve : curves)
            device().markForRead (kindVelocityCurve, curve);

        device().sendPending (kindVelocityCurve);
        return waitUntilCurvesAreDone (5000);
    }

    bool waitUntilCurvesAreDone (int timeoutMs)
    {
        return pumpUntil ([this] { return device().waitingForReply == 0
                                            && ! device().pendingRequests.hasAny (kindVelocityCurve); }, timeoutMs);
    }

    CurveValues modelCurve (int curve)  { return unpackCurve (device().userCurves[curve]); }

    static CurveValues productCurve (SimulatedProductRunner& product, int curve)
    {
        return unpackCurve (product.getProduct().getSettings().userCurves[curve]);
    }

    /** Every curve request the tool sent (-1: of any type). */
    std::vector<ObservedPortSystem::Sent> curveRequests (int type = -1) const
    {
        if (type >= 0)
            return ports->getSentRequests (-1, type, kindVelocityCurve);

        auto requests = ports->getSentRequests (-1, SYSX_TYPE_READ, kindVelocityCurve);
        const auto writes = ports->getSentRequests (-1, SYSX_TYPE_WRITE, kindVelocityCurve);
        requests.insert (requests.end(), writes.begin(), writes.end());
        return requests;
    }

    static int itemOf (const ObservedPortSystem::Sent& request)     { return request.message.getRawData()[9]; }
};
