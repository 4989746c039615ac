#pragma once

#include <juce_core/juce_core.h>

/** The facts of the six products and their two cores, by product code (1 to 6 the host cores,
    7 to 12 the device cores of the same products in the same order) and by id byte. */
namespace ProductTables
{
    constexpr int numProducts = 6;

    inline bool isHostCode (int code)   { return code >= 1 && code <= numProducts; }
    inline bool isDeviceCode (int code) { return code > numProducts && code <= 2 * numProducts; }

    /** The id byte of the host core of product 1 to 6 (0 otherwise). */
    int hostIdOf (int product);
    /** The id byte of the device core of product 1 to 6 (0 otherwise). */
    int deviceIdOf (int product);
    /** The id byte that product code 1 to 12 answers with (0 otherwise). */
    int idByteOfCode (int code);
    /** The product code 1 to 12 of an id byte (0 when no core has it). */
    int codeOfIdByte (int id);
    bool isDeviceCoreId (int id);

    /** "Dorvin BC" ... for a host core's id, "Dorvin-BC" ... for a device core's; empty otherwise. */
    juce::String modelNameOfId (int id);
    /** "Dorvin-BC" ... for product 1 to 6: the model as its ports and USB name spell it; empty otherwise. */
    juce::String modelPortName (int product);
}
