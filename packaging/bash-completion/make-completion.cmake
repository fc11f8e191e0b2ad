# Makes the completion of orvo from its template: cmake -DTYPES_PROGRAM=... -DTEMPLATE=...
# -DOUTPUT=... -P make-completion.cmake. The output types come from the program's table.
execute_process(COMMAND ${TYPES_PROGRAM} OUTPUT_VARIABLE ORVO_OUTPUT_TYPES
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
