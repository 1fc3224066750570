#include "printer/printer_mib.h"

#include <map>

namespace pmtool {
namespace mib {

namespace {

std::string lookup(const std::map<long, const char*>& names, long code) {
    const auto it = names.find(code);
    return it == names.end() ? std::string() : std::string(it->second);
}

}  // namespace

std::string device_status_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "unknown"}, {2, "running"}, {3, "warning"}, {4, "testing"}, {5, "down"}};
    return lookup(names, code);
}

std::string printer_status_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {2, "unknown"}, {3, "idle"}, {4, "printing"}, {5, "warmup"}};
    return lookup(names, code);
}

std::string supply_class_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {kClassSupplyThatIsConsumed, "supplyThatIsConsumed"},
        {kClassReceptacleThatIsFilled, "receptacleThatIsFilled"}};
    return lookup(names, code);
}

std::string supply_type_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {2, "unknown"}, {3, "toner"}, {4, "wasteToner"}, {5, "ink"},
        {6, "inkCartridge"}, {7, "inkRibbon"}, {8, "wasteInk"}, {9, "opc"},
        {10, "developer"}, {11, "fuserOil"}, {12, "solidWax"}, {13, "ribbonWax"},
        {14, "wasteWax"}, {15, "fuser"}, {16, "coronaWire"}, {17, "fuserOilWick"},
        {18, "cleanerUnit"}, {19, "fuserCleaningPad"}, {20, "transferUnit"},
        {21, "tonerCartridge"}, {22, "fuserOiler"}, {23, "water"}, {24, "wasteWater"},
        {25, "glueWaterAdditive"}, {26, "wastePaper"}, {27, "bindingSupply"},
        {28, "bandingSupply"}, {29, "stitchingWire"}, {30, "shrinkWrap"},
        {31, "paperWrap"}, {32, "staples"}, {33, "inserts"}, {34, "covers"}};
    return lookup(names, code);
}

std::string supply_unit_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {2, "unknown"}, {3, "tenThousandthsOfInches"}, {4, "micrometers"},
        {7, "impressions"}, {8, "sheets"}, {11, "hours"}, {12, "thousandthsOfOunces"},
        {13, "tenthsOfGrams"}, {14, "hundrethsOfFluidOunces"}, {15, "tenthsOfMilliliters"},
        {16, "feet"}, {17, "meters"}, {18, "items"}, {19, "percent"}};
    return lookup(names, code);
}

std::string alert_severity_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {3, "critical"}, {4, "warning"}, {5, "warningBinaryChangeEvent"}};
    return lookup(names, code);
}

std::string alert_group_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {3, "hostResourcesMIBStorageTable"}, {4, "hostResourcesMIBDeviceTable"},
        {5, "generalPrinter"}, {6, "cover"}, {7, "localization"}, {8, "input"}, {9, "output"},
        {10, "marker"}, {11, "markerSupplies"}, {12, "markerColorant"}, {13, "mediaPath"},
        {14, "channel"}, {15, "interpreter"}, {16, "consoleDisplayBuffer"},
        {17, "consoleLights"}, {18, "alert"}, {30, "finDevice"}, {31, "finSupply"},
        {32, "finSupplyMediaInput"}, {33, "finAttribute"}};
    return lookup(names, code);
}

std::string alert_code_name(long code) {
    static const std::map<long, const char*> names = {
        {1, "other"}, {2, "unknown"}, {3, "coverOpen"}, {4, "coverClosed"},
        {5, "interlockOpen"}, {6, "interlockClosed"}, {7, "configurationChange"}, {8, "jam"},
        {9, "subunitMissing"}, {10, "subunitLifeAlmostOver"}, {11, "subunitLifeOver"},
        {12, "subunitAlmostEmpty"}, {13, "subunitEmpty"}, {14, "subunitAlmostFull"},
        {15, "subunitFull"}, {16, "subunitNearLimit"}, {17, "subunitAtLimit"},
        {18, "subunitOpened"}, {19, "subunitClosed"}, {20, "subunitTurnedOn"},
        {21, "subunitTurnedOff"}, {22, "subunitOffline"}, {23, "subunitPowerSaver"},
        {24, "subunitWarmingUp"}, {25, "subunitAdded"}, {26, "subunitRemoved"},
        {27, "subunitResourceAdded"}, {28, "subunitResourceRemoved"},
        {29, "subunitRecoverableFailure"}, {30, "subunitUnrecoverableFailure"},
        {31, "subunitRecoverableStorageError"}, {32, "subunitUnrecoverableStorageError"},
        {33, "subunitMotorFailure"}, {34, "subunitMemoryExhausted"},
        {35, "subunitUnderTemperature"}, {36, "subunitOverTemperature"},
        {37, "subunitTimingFailure"}, {38, "subunitThermistorFailure"},
        {501, "doorOpen"}, {502, "doorClosed"}, {503, "powerUp"}, {504, "powerDown"},
        {505, "printerNMSReset"}, {506, "printerManualReset"}, {507, "printerReadyToPrint"},
        {801, "inputMediaTrayMissing"}, {802, "inputMediaSizeChange"},
        {803, "inputMediaWeightChange"}, {804, "inputMediaTypeChange"},
        {805, "inputMediaColorChange"}, {806, "inputMediaFormPartsChange"},
        {807, "inputMediaSupplyLow"}, {808, "inputMediaSupplyEmpty"},
        {901, "outputMediaTrayMissing"}, {902, "outputMediaTrayAlmostFull"},
        {903, "outputMediaTrayFull"},
        {1001, "markerFuserUnderTemperature"}, {1002, "markerFuserOverTemperature"},
        {1101, "markerTonerEmpty"}, {1102, "markerInkEmpty"}, {1103, "markerPrintRibbonEmpty"},
        {1104, "markerTonerAlmostEmpty"}, {1105, "markerInkAlmostEmpty"},
        {1106, "markerPrintRibbonAlmostEmpty"}, {1107, "markerWasteTonerReceptacleAlmostFull"},
        {1108, "markerWasteInkReceptacleAlmostFull"}, {1109, "markerWasteTonerReceptacleFull"},
        {1110, "markerWasteInkReceptacleFull"}, {1111, "markerOpcLifeAlmostOver"},
        {1112, "markerOpcLifeOver"}, {1113, "markerDeveloperAlmostEmpty"},
        {1114, "markerDeveloperEmpty"}, {1115, "markerTonerCartridgeMissing"},
        {1301, "mediaPathMediaTrayMissing"}, {1302, "mediaPathMediaTrayAlmostFull"},
        {1303, "mediaPathMediaTrayFull"}, {1304, "mediaPathCannotDuplexMediaSelected"},
        {1501, "interpreterMemoryIncrease"}, {1502, "interpreterMemoryDecrease"},
        {1503, "interpreterCartridgeAdded"}, {1504, "interpreterCartridgeDeleted"},
        {1505, "interpreterResourceAdded"}, {1506, "interpreterResourceDeleted"},
        {1507, "interpreterResourceUnavailable"}, {1509, "interpreterComplexPageEncountered"},
        {1801, "alertRemovalOfBinaryChangeEntry"}};
    return lookup(names, code);
}

bool supply_type_is_waste(long type) {
    // wasteToner, wasteInk, wasteWax, wasteWater, wastePaper
    return type == 4 || type == 8 || type == 14 || type == 24 || type == 26;
}

}  // namespace mib
}  // namespace pmtool
