# Writes the example populations of Tarvek (*.pop) into the folder of this script.
#
# Run by hand when the data change, then commit the .pop files; the build does not
# need R. Needs Debian's r-base-core, r-cran-sampling and r-cran-survey:
#
#     Rscript data/make_populations.R
#
# Every file holds a description line short enough for the main window's
# information panel, "N K", one name line per variable (at most
# 20 characters) and one line of K numbers per unit, with "." as decimal point.

suppressPackageStartupMessages({
    library(sampling)
    library(survey)
})

script_path <- sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE))
output_folder <- if (length(script_path) == 1) dirname(script_path) else "."

format_column <- function(values) {
    format(values, scientific = FALSE, trim = TRUE, drop0trailing = TRUE)
}

write_population <- function(file_name, description, columns) {
    stopifnot(nchar(description) <= 36, all(nchar(names(columns)) <= 20), length(columns) <= 10,
              nrow(columns) <= 1000, !anyNA(columns))
    rows <- do.call(paste, lapply(columns, format_column))
    lines <- c(description, paste(nrow(columns), ncol(columns)), names(columns), rows)
    writeLines(lines, file.path(output_folder, file_name), useBytes = TRUE)
}

# The Swedish municipalities of the model-assisted sampling literature.
data(MU284)
write_population("mu284.pop",
    "MU284: 284 Swedish municipalities",
    data.frame(check.names = FALSE,
        "Population 1985"    = MU284$P85,
        "Population 1975"    = MU284$P75,
        "Tax revenue 1985"   = MU284$RMT85,
        "Conservative seats" = MU284$CS82,
        "Soc-Dem seats"      = MU284$SS82,
        "Council seats"      = MU284$S82,
        "Municipal employees" = MU284$ME84,
        "Real estate value"  = MU284$REV84,
        "Region"             = MU284$REG,
        "Cluster"            = MU284$CL))

# The Belgian municipalities, with their population of 2003 and 2004 and incomes.
data(belgianmunicipalities)
belgium <- belgianmunicipalities
write_population("belgium.pop",
    "Belgium: 589 municipalities",
    data.frame(check.names = FALSE,
        "Province"           = belgium$Province,
        "Population 2004"    = belgium$Tot04,
        "Men 2004"           = belgium$Men04,
        "Women 2004"         = belgium$Women04,
        "Population 2003"    = belgium$Tot03,
        "Growth 2003-2004"   = belgium$DiffTOT,
        "Taxable income"     = round(belgium$TaxableIncome),
        "Total taxation"     = belgium$Totaltaxation,
        "Average income"     = belgium$averageincome,
        "Median income"      = belgium$medianincome))

# 1000 Californian schools: the complete records of apipop in the order of their
# school code, every (M / 1000)-th one taken systematically.
data(api)
school_columns <- c("stype", "api00", "api99", "meals", "ell", "col.grad", "full",
                    "emer", "enroll", "api.stu")
schools <- apipop[complete.cases(apipop[school_columns]), ]
schools <- schools[order(schools$cds), ]
chosen <- floor((seq_len(1000) - 0.5) * nrow(schools) / 1000) + 1
schools <- schools[chosen, ]
school_level <- c(E = 1, M = 2, H = 3)[as.character(schools$stype)]
write_population("schools.pop",
    "Schools: 1000 Californian schools",
    data.frame(check.names = FALSE,
        "API 2000"           = schools$api00,
        "API 1999"           = schools$api99,
        "Level"              = unname(school_level),
        "Free meals %"       = schools$meals,
        "English learners %" = schools$ell,
        "College parents %"  = schools$col.grad,
        "Qualified teachers%" = schools$full,
        "Emergency teachers%" = schools$emer,
        "Enrollment"         = schools$enroll,
        "Students tested"    = schools$api.stu))

# A small made-up class for the worked example of the help: this year's and last
# year's mathematics mark, homework, the set a pupil is taught in, travel time.
write_population("classroom.pop",
    "Classroom: 20 pupils (made-up data)",
    data.frame(check.names = FALSE,
        "Mark"       = c(62, 71, 55, 80, 48, 90, 67, 74, 58, 85, 69, 77, 52, 88, 64, 73, 60, 82, 45, 79),
        "Last mark"  = c(58, 70, 50, 76, 50, 86, 61, 72, 55, 80, 66, 70, 49, 84, 60, 69, 57, 78, 41, 75),
        "Homework"   = c(3, 5, 2, 6, 1, 8, 4, 5, 2, 7, 4, 6, 2, 7, 3, 5, 3, 6, 1, 6),
        "Set"        = c(2, 2, 1, 3, 1, 3, 2, 2, 1, 3, 2, 3, 1, 3, 2, 2, 1, 3, 1, 3),
        "Travel"     = c(10, 25, 15, 5, 30, 20, 10, 15, 35, 10, 5, 20, 25, 15, 10, 30, 20, 5, 15, 25)))
